#include "app/backup_dialogue.h"
#include "config/codepage.h"
#include "config/config_file.h"
#include "support/message_recorder.h"
#include "support/rows.h"
#include "support/temp_folder.h"

#include <QCryptographicHash>
#include <QTest>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace tarvik;
using tarvik::test::radek;
using namespace Qt::StringLiterals;

namespace {

// A hand-edited file: comments, odd spacing, an unknown section, LF-only lines, duplicates, junk.
const QByteArray rucne = "; upraveno rucne\n[System]\n  Heslo = 42 \nCOM=2\ncom=4\n\n"
                         "[neznama]\r\nx=\x00\xFF\r\n[prazdna]\n\n"
                         "[stykace]\nstykac0 =  styka\xE8 0\n; konec\n[system]\ncom=5"_ba;

// A tmpfs of 64 kB mounted for one test, so that a full disk, a folder that takes no new file and
// a removable medium are real.
struct maly_svazek {
    QTemporaryDir dir;
    bool pripojen;

    explicit maly_svazek(const QByteArray& volby)
        : pripojen(::mount("tarvik-test", QFile::encodeName(dir.path()).constData(), "tmpfs",
                           MS_NOSUID, ("size=64k," + volby).constData()) == 0) {}
    ~maly_svazek() {
        if (pripojen)
            ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }
    // Fills every free byte with a file of its own.
    bool zaplni() const {
        QFile vypln(dir.filePath("vypln"));
        bool otevren = vypln.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (otevren && vypln.write(QByteArray(4096, 'v')) == 4096) {
        }
        return otevren;
    }
};

ino_t inode(const QString& cesta) {
    struct stat st {};
    return ::stat(QFile::encodeName(cesta).constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

class tst_config : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The whole upper half against the system's Windows-1250; the five bytes it leaves undefined
    // stand for the control characters of the same number (every byte survives a round trip: the
    // hash fuzzer's check).
    void kodova_stranka() {
        QByteArray vsechny;
        for (int b = 0; b < 256; ++b)
            vsechny.append(static_cast<char>(b));
        QCOMPARE(
            z_cp1250(vsechny).mid(128),
            QString::fromUtf16(
                u"€\u0081‚\u0083„…†‡\u0088‰Š‹ŚŤŽŹ\u0090‘’“”•–—\u0098™š›śťžź\u00A0ˇ˘Ł¤Ą¦§¨©Ş«¬"
                u"\u00AD®Ż°±˛ł´µ¶·¸ąş»Ľ˝ľżŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓÔŐÖ×ŘŮÚŰÜÝŢßŕáâăäĺćçčéęëěíîďđńňóôőö÷"
                u"řůúűüýţ˙"));
        QCOMPARE(na_cp1250(u"añЖ\U0001F600b"_s), "a???b"); // one mark a character
    }

    // The default file as it has always been written, byte for byte (468 CR LF lines). As
    // installed, tarvik.ini in the program's folder links to the file in a folder of the operators'
    // group, where the first start makes it, shared with the group.
    void vychozi_soubor() {
        test::docasna_slozka slozka;
        const auto skupina = QFileDevice::ReadGroup | QFileDevice::WriteGroup;
        const QString data = slozka.file("data"), cil = slozka.file("data/tarvik.ini");
        QVERIFY(QDir().mkpath(data) && QFile::link(cil, slozka.ini()));
        QFile::setPermissions(data, QFile::permissions(data) | skupina | QFileDevice::ExeGroup);
        QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
        QCOMPARE(QCryptographicHash::hash(slozka.read(cil), QCryptographicHash::Sha256).toHex(),
                 "875abcd816fd0862772acfcf8c3555754ab9c1b7a835c34ca54f0ee803fbf1cf");
        QCOMPARE(QFile::permissions(cil) & skupina, skupina);
    }

    // Every read is of key k in section s, with the default "výchozí": the file (null: none, "/": a
    // folder in its place), the capacity, the value read.
    void cteni_data() {
        test::sloupce<QByteArray, int, QString>();
        const int k = kapacita::stykac;
        radek("Czech caption cut to 11", "[s]\r\nk=z\xE1lo\x9Eka 123456\r\n"_ba, kapacita::nazev,
              "záložka 123");
        radek("missing file, default cut too", QByteArray(), kapacita::chlivek, "výc");
        radek("folder in place of the file", "/"_ba, k, "výchozí");
        radek("blank value is empty, not the default", "[s]\r\nk= \t\r\n"_ba, k, "");
        radek("byte order mark, names in any case, blanks around",
              "\xEF\xBB\xBF[ S ]  \r\n\t K \t=  a  b \t\r\n"_ba, k, "a  b");
        radek("comments, keys outside the section, LF-only lines, first of duplicate keys",
              "k=1\n;[s]\nk=2\n[t]\nk=1\n[s]\n  ;k=3\nk=\"a\" ; b\nk=3\n"_ba, k, "\"a\" ; b");
        radek("only the first of duplicate sections", "[s]\r\nj=1\r\n[s]\r\nk=3\r\n"_ba, k,
              "výchozí");
        radek("junk, lines of 1 MB",
              "\x00\xFF\x01junk\x00\r\n[s]\r\n\x7F\x80\x00=\x00\r\n"_ba + QByteArray(1 << 20, '=') +
                  "\r\nk=2\r\n" + QByteArray(1 << 20, '['),
              k, "2");
    }

    void cteni() {
        const auto [soubor, kapacita, hodnota] = test::hodnoty<QByteArray, int, QString>();
        test::docasna_slozka slozka;
        if (soubor == "/")
            QVERIFY(QDir(slozka.path()).mkdir("tarvik.ini"));
        else if (!soubor.isNull())
            slozka.write("tarvik.ini", soubor);
        QCOMPARE(std::pair(cti_hodnotu(slozka.ini(), u"s", u"k", u"výchozí"_s, kapacita),
                           konfigurace_existuje(slozka.ini())),
                 std::pair(hodnota, !soubor.isNull() && soubor != "/"));
    }

    // The section, key and value written into the hand-edited file, and the file afterwards.
    void zapis_meni_jen_svou_hodnotu_data() {
        test::sloupce<QString, QString, QString, QByteArray>();
        radek("in place, names in any case, blanks before the value kept, breaks in it left out",
              "system", "heslo", " ř\r\n[x]\n7 ",
              QByteArray(rucne).replace("Heslo = 42 \n", "Heslo = \xF8[x]7\n"));
        radek("first of duplicate sections and keys", "system", "com", "3",
              QByteArray(rucne).replace("COM=2", "COM=3"));
        radek("new key after the last key of its section", "stykace", "stykac1", "čistič €",
              QByteArray(rucne).replace("0\n; konec", "0\nstykac1=\xE8isti\xE8 \x80\n; konec"));
        radek("new key in a section without keys", "prazdna", "k", "2",
              QByteArray(rucne).replace("[prazdna]\n", "[prazdna]\nk=2\n"));
        radek("new section at the end after a line without break", "chlivky", "chlivek5", "---",
              rucne + "\n[chlivky]\nchlivek5=---\n");
    }

    void zapis_meni_jen_svou_hodnotu() {
        const auto [sekce, klic, hodnota, po] =
            test::hodnoty<QString, QString, QString, QByteArray>();
        test::docasna_slozka slozka;
        slozka.write("tarvik.ini", rucne);
        QVERIFY(zapis_hodnotu(slozka.ini(), sekce, klic, hodnota));
        QCOMPARE(slozka.read("tarvik.ini"), po);
    }

    // Writes stykac5 (in place of "stykač 5") into the default file, kept to its owner, on a small
    // file system (null options: none, and a 250-byte name that leaves no room for a temporary
    // name). The file keeps its permissions and a link in its place stays. Columns: the options,
    // whether tarvik.ini in the program folder links to the file, whether the disk is full, the
    // value, the outcome.
    void zapis_kdyz_chybi_misto_data() {
        test::sloupce<QByteArray, bool, bool, QString, QString>();
        const QString x = "x", d20(20, 'd'), d5000(5000, 'd');
        const QByteArray inody9 = "nr_inodes=9", inody2 = "nr_inodes=2", inody3 = "nr_inodes=3";
        radek("full disk: refused", inody9, false, true, x, "refused");
        radek("room for a new file: renamed through the link", inody9, true, false, d20, "renamed");
        radek("no free inode, through the link: in place", inody2, true, false, d20, "in place");
        radek("no free inode, full, longer value: refused", inody3, false, true, d5000, "refused");
        radek("no free inode, full, shorter value: in place", inody3, false, true, x, "in place");
        radek("name too long for a temporary name: in place", QByteArray(), false, false, d20,
              "in place");
    }

    void zapis_kdyz_chybi_misto() {
        const auto [volby, odkaz, plny, hodnota, vysledek] =
            test::hodnoty<QByteArray, bool, bool, QString, QString>();
        test::docasna_slozka slozka;
        std::optional<maly_svazek> svazek;
        QString soubor = slozka.file(QString(250, 'n'));
        if (!volby.isNull()) {
            if (!svazek.emplace(volby).pripojen)
                QSKIP("mounting a tmpfs is not allowed here");
            soubor = svazek->dir.filePath("tarvik.ini");
        }
        slozka.write(soubor, vychozi_konfigurace());
        QFile::setPermissions(soubor, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const auto prava = QFile::permissions(soubor);
        QVERIFY(!odkaz || QFile::link(soubor, slozka.ini()));
        QVERIFY(!plny || svazek->zaplni());
        const ino_t puvodni = inode(soubor);
        const bool zapsano =
            zapis_hodnotu(odkaz ? slozka.ini() : soubor, u"stykace", u"stykac5", hodnota);
        const QDir::Filters vse = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(std::tuple(zapsano, slozka.read(soubor), inode(soubor) == puvodni,
                            QFile::permissions(soubor), QFileInfo(slozka.ini()).isSymLink(),
                            QFileInfo(soubor).dir().entryList(vse).size()),
                 std::tuple(vysledek != "refused",
                            vysledek == "refused"
                                ? vychozi_konfigurace()
                                : vychozi_konfigurace().replace("=styka\xE8 5\r",
                                                                "=" + hodnota.toLatin1() + "\r"),
                            vysledek != "renamed", prava, odkaz,
                            qsizetype(plny ? 2 : 1))); // no temporary file left
        if (!volby.isNull())
            return;
        // A file far too large for a configuration file is never loaded whole, nor rewritten.
        QFile velky(slozka.file("velky.ini"));
        QVERIFY(velky.open(QIODevice::WriteOnly) && velky.resize(nejvetsi_konfigurace + 1));
        QVERIFY(!zapis_hodnotu(velky.fileName(), u"system", u"com", "2"));
        QCOMPARE(velky.size(), nejvetsi_konfigurace + 1);
    }

    // a restore (else a backup), what is amiss
    void zaloha_a_obnova_data() {
        test::sloupce<bool, QString>();
        for (const bool obnova : {false, true})
            for (const char* pripad : {"", "without diskette", "without file"})
                QTest::addRow("%s %s", obnova ? "restore" : "backup", pripad)
                    << obnova << QString(pripad);
        radek("backup onto a full medium", false, QString("full"));
        radek("backup onto a link on the medium", false, QString("link"));
        for (const char* pripad : {"link", "FIFO", "oversized"})
            QTest::addRow("restore from a %s", pripad) << true << QString(pripad);
    }

    // The medium is a small file system of its own, reached through the link dosdevices/a:.
    void zaloha_a_obnova() {
        const auto [obnova, pripad] = test::hodnoty<bool, QString>();
        const bool uspech = pripad.isEmpty();
        test::docasna_slozka slozka;
        maly_svazek medium("nr_inodes=16");
        if (!medium.pripojen)
            QSKIP("mounting a tmpfs is not allowed here");
        test::zapisnik_zprav zpravy;
        const QString na_mediu =
            pripad == "without diskette" ? slozka.file("nikde") : medium.dir.path();
        const QString zaloha = na_mediu + "/tarvik.ini";
        const QByteArray ini = vychozi_konfigurace(), tajne = "heslo=tajne\n",
                         na_diskete = "[system]\ncom=2\n\x00\xFF\n"_ba;
        slozka.write("tarvik.ini", ini);
        slozka.write("tajne", tajne);
        slozka.write(zaloha, na_diskete); // an older backup, or the one to restore
        QVERIFY(QDir().mkpath(slozka.file("dosdevices")) &&
                QFile::link(na_mediu, slozka.file("dosdevices/a:")));
        if (pripad == "without file" || pripad == "link" || pripad == "FIFO")
            QVERIFY(QFile::remove(obnova || pripad != "without file" ? zaloha : slozka.ini()));
        QVERIFY(pripad != "link" || QFile::link(slozka.file("tajne"), zaloha));
        QVERIFY(pripad != "FIFO" || ::mkfifo(QFile::encodeName(zaloha), 0666) == 0);
        // Of 16 MB, taking no room on the medium.
        QVERIFY(pripad != "oversized" || QFile::resize(zaloha, nejvetsi_konfigurace + 1));
        QVERIFY(pripad != "full" || medium.zaplni());
        const QByteArray zaloha_pred = obnova ? QByteArray() : slozka.read(zaloha);

        obnova ? obnov_konfiguraci(nullptr, slozka.ini())
               : zalohuj_konfiguraci(nullptr, slozka.ini());
        QStringList zaznam;
        for (const zprava& z : zpravy.zpravy)
            zaznam << z.titulek + " | " + z.text;
        const QString info = "Tarvik - info | ";
        const bool bez_ini = !obnova && pripad == "without file";
        // The backup on the medium is read back only after a backup: a FIFO would never answer.
        QCOMPARE(std::tuple(zaznam, slozka.read("tarvik.ini"),
                            obnova ? QByteArray() : slozka.read(zaloha), slozka.read("tajne"),
                            QFileInfo(zaloha).isSymLink()),
                 std::tuple(QStringList{info + (obnova ? zprava_vlozte_disketu_s_konfiguraci
                                                       : zprava_vlozte_disketu),
                                        !uspech ? "Tarvik - chyba | " + zprava_chyba_kopirovani
                                                : info + (obnova ? zprava_obnova_zkopirovana
                                                                 : zprava_zaloha_zkopirovana)},
                            obnova && uspech ? na_diskete : (bez_ini ? QByteArray() : ini),
                            obnova || !uspech ? zaloha_pred : ini, tajne, pripad == "link"));
    }
};

QTEST_GUILESS_MAIN(tst_config)
#include "tst_config.moc"

#include "app/backup_dialogue.h"
#include "config/codepage.h"
#include "config/config_file.h"
#include "support/message_recorder.h"
#include "support/rows.h"
#include "support/temp_folder.h"

#include <QtTest>
#ifndef Q_OS_WIN
#include <sys/mount.h>
#include <sys/stat.h>
#endif

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

#ifdef Q_OS_WIN
    // Nothing to mount on Windows: the tests that need it are skipped.
    explicit maly_svazek(int) : pripojen(false) {}
#else
    explicit maly_svazek(int inody)
        : pripojen(::mount("tarvik-test", QFile::encodeName(dir.path()).constData(), "tmpfs",
                           MS_NOSUID, qPrintable(u"size=64k,nr_inodes=%1"_s.arg(inody))) == 0) {}
    ~maly_svazek() {
        if (pripojen)
            ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }
#endif
    // Fills every free byte with a file of its own.
    bool zaplni() const {
        QFile vypln(dir.filePath("vypln"));
        bool otevren = vypln.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (otevren && vypln.write(QByteArray(4096, 'v')) == 4096) {
        }
        return otevren;
    }
};

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
        QCOMPARE(z_cp1250(vsechny).mid(128),
                 u"€\u0081‚\u0083„…†‡\u0088‰Š‹ŚŤŽŹ\u0090‘’“”•–—\u0098™š›śťžź\u00A0ˇ˘Ł¤Ą¦§¨©Ş«¬"
                 u"\u00AD®Ż°±˛ł´µ¶·¸ąş»Ľ˝ľżŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓÔŐÖ×ŘŮÚŰÜÝŢßŕáâăäĺćçčéęëěíîďđńňóôőö÷"
                 u"řůúűüýţ˙"_s);
        // Back again, such a control character gives its byte; a character the page lacks, one "?".
        QCOMPARE(na_cp1250(u"a\u0081ñЖ\U0001F600b"_s), "a\x81???b"_ba);
    }

    // The default file as it has always been written, byte for byte (468 CR LF lines). As
    // installed, tarvik.ini in the program's folder links to the file in a folder of the operators'
    // group, where the first start makes it, shared with the group.
    void vychozi_soubor() {
        test::docasna_slozka slozka;
#ifdef Q_OS_WIN
        // Windows has neither the link nor the group: the file itself.
        const QString cil = slozka.ini();
#else
        const auto skupina = QFileDevice::ReadGroup | QFileDevice::WriteGroup;
        const QString data = slozka.file("data"), cil = slozka.file("data/tarvik.ini");
        QVERIFY(QDir().mkpath(data) && QFile::link(cil, slozka.ini()));
        QFile::setPermissions(data, QFile::permissions(data) | skupina | QFileDevice::ExeGroup);
#endif
        QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
        QCOMPARE(QCryptographicHash::hash(slozka.read(cil), QCryptographicHash::Sha256).toHex(),
                 "875abcd816fd0862772acfcf8c3555754ab9c1b7a835c34ca54f0ee803fbf1cf");
#ifndef Q_OS_WIN
        QCOMPARE(QFile::permissions(cil) & skupina, skupina);
#endif
    }

    // Every read is of key k in section s, with the default "výchozí": the file (null: none, "/": a
    // folder in its place), the capacity, the value read.
    void cteni_data() {
        test::sloupce<QByteArray, int, QString>();
        const int k = kapacita::stykac;
        radek("Czech cut to 11", "[s]\nk=z\xE1lo\x9Eka 123456"_ba, kapacita::nazev, "záložka 123");
        radek("missing file, default cut too", QByteArray(), kapacita::chlivek, "výc");
        radek("folder in place of the file", "/"_ba, k, "výchozí");
        radek("blank value is empty, not the default", "[s]\r\nk= \t\r\n"_ba, k, "");
        radek("byte order mark, names in any case, blanks around",
              "\xEF\xBB\xBF[ S ]  \r\n\t K \t=  a  b \t\r\n"_ba, k, "a  b");
        radek("comments, keys outside the section, LF-only lines, first of duplicate keys",
              "k=1\n;[s]\nk=2\n[t]\nk=1\n[s]\n  ;k=3\nk=\"a\" ; b\nk=3\n"_ba, k, "\"a\" ; b");
        radek("only the first of duplicate sections", "[s]\nj=1\n[s]\nk=3"_ba, k, "výchozí");
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

    // The section, key and value written into the hand-edited file, and the bytes of the file
    // that change: those before, those after.
    void zapis_meni_jen_svou_hodnotu_data() {
        test::sloupce<QString, QString, QString, QByteArray, QByteArray>();
        radek("in place, names in any case, blanks before the value kept, breaks in it left out",
              "system", "heslo", " ř\r\n[x]\n7 ", "= 42 \n"_ba, "= \xF8[x]7\n"_ba);
        radek("first of duplicate sections and keys", "system", "com", "3", "COM=2"_ba, "COM=3"_ba);
        radek("new key after the last key of its section", "stykace", "stykac1", "čistič €",
              "0\n; konec"_ba, "0\nstykac1=\xE8isti\xE8 \x80\n; konec"_ba);
        radek("an empty section", "prazdna", "k", "2", "[prazdna]\n"_ba, "[prazdna]\nk=2\n"_ba);
        radek("new section at the end after a line without break", "chlivky", "chlivek5", "---",
              "com=5"_ba, "com=5\n[chlivky]\nchlivek5=---\n"_ba);
    }

    void zapis_meni_jen_svou_hodnotu() {
        const auto [sekce, klic, hodnota, pred, po] =
            test::hodnoty<QString, QString, QString, QByteArray, QByteArray>();
        test::docasna_slozka slozka;
        slozka.write("tarvik.ini", rucne);
        QVERIFY(zapis_hodnotu(slozka.ini(), sekce, klic, hodnota));
        QCOMPARE(slozka.read("tarvik.ini"), QByteArray(rucne).replace(pred, po));
    }

    // Writes stykac5 (in place of "stykač 5") into the default file, kept to its owner, on a small
    // file system (0 inodes: none, and a 250-byte name that leaves no room for a temporary name).
    // The file keeps its permissions and a link in its place stays. Columns: the file system's
    // inodes, whether tarvik.ini in the program folder links to the file, whether the disk is full,
    // the value, the outcome.
    void zapis_kdyz_chybi_misto_data() {
        test::sloupce<int, bool, bool, QString, QString>();
        const QString x = "x", d20(20, 'd'), d5000(5000, 'd');
        radek("full disk: refused", 9, false, true, x, "refused");
        radek("room for a new file: renamed through the link", 9, true, false, d20, "renamed");
        radek("no free inode, through the link: in place", 2, true, false, d20, "in place");
        radek("no free inode, full, longer value: refused", 3, false, true, d5000, "refused");
        radek("no free inode, full, shorter value: in place", 3, false, true, x, "in place");
        radek("name too long for a temporary name: in place", 0, false, false, d20, "in place");
    }

    void zapis_kdyz_chybi_misto() {
        const auto [inody, odkaz, plny, hodnota, vysledek] =
            test::hodnoty<int, bool, bool, QString, QString>();
        test::docasna_slozka slozka;
        std::optional<maly_svazek> svazek;
        QString soubor = slozka.file(QString(250, 'n'));
        if (inody > 0) {
            if (!svazek.emplace(inody).pripojen)
                QSKIP("mounting a tmpfs is not allowed here");
            soubor = svazek->dir.filePath("tarvik.ini");
        }
        slozka.write(soubor, vychozi_konfigurace());
        QFile::setPermissions(soubor, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const auto prava = QFile::permissions(soubor);
        QVERIFY(!odkaz || QFile::link(soubor, slozka.ini()));
        QVERIFY(!plny || svazek->zaplni());
        // Open on the old file: a file renamed into its place leaves it as it was.
        QFile stary(soubor);
        QVERIFY(stary.open(QIODevice::ReadOnly));
        const bool zapsano =
            zapis_hodnotu(odkaz ? slozka.ini() : soubor, u"stykace", u"stykac5", hodnota);
        QByteArray po = vychozi_konfigurace();
        if (vysledek != "refused")
            po.replace("=styka\xE8 5\r", "=" + hodnota.toLatin1() + "\r");
        // No temporary file is left.
        const QDir::Filters vse = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(std::tuple(zapsano, slozka.read(soubor), stary.readAll(),
                            QFile::permissions(soubor), QFileInfo(slozka.ini()).isSymLink(),
                            QFileInfo(soubor).dir().entryList(vse).size()),
                 std::tuple(vysledek != "refused", po,
                            vysledek == "renamed" ? vychozi_konfigurace() : po, prava, odkaz,
                            qsizetype(plny ? 2 : 1)));
        if (inody > 0)
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
                QTest::addRow("%s %s", obnova ? "restore" : "backup", pripad) << obnova << pripad;
        radek("backup onto a full medium", false, "full");
        radek("backup onto a link on the medium", false, "link");
        for (const char* pripad : {"link", "FIFO", "oversized"})
            QTest::addRow("restore from a %s", pripad) << true << pripad;
    }

    // The medium is a small file system of its own, reached through the link dosdevices/a:.
    void zaloha_a_obnova() {
        const auto [obnova, pripad] = test::hodnoty<bool, QString>();
        const bool uspech = pripad.isEmpty();
        test::docasna_slozka slozka;
        maly_svazek medium(16);
        if (!medium.pripojen)
            QSKIP("mounting a tmpfs is not allowed here");
        test::zapisnik_zprav zpravy;
        const QString na_mediu =
            pripad == "without diskette" ? slozka.file("nikde") : medium.dir.path();
        const QString zaloha = na_mediu + "/tarvik.ini";
        const QByteArray ini = vychozi_konfigurace(), na_diskete = "[system]\ncom=2\n\x00\xFF\n"_ba;
        slozka.write("tarvik.ini", ini);
        slozka.write("tajne", "heslo=tajne\n");
        slozka.write(zaloha, na_diskete); // an older backup, or the one to restore
        QVERIFY(QDir().mkpath(slozka.file("dosdevices")) &&
                QFile::link(na_mediu, slozka.file("dosdevices/a:")));
        if (pripad == "without file" || pripad == "link" || pripad == "FIFO")
            QVERIFY(QFile::remove(obnova || pripad != "without file" ? zaloha : slozka.ini()));
        QVERIFY(pripad != "link" || QFile::link(slozka.file("tajne"), zaloha));
#ifndef Q_OS_WIN
        QVERIFY(pripad != "FIFO" || ::mkfifo(QFile::encodeName(zaloha), 0666) == 0);
#endif
        // Of 16 MB, taking no room on the medium.
        QVERIFY(pripad != "oversized" || QFile::resize(zaloha, nejvetsi_konfigurace + 1));
        QVERIFY(pripad != "full" || medium.zaplni());
        const QByteArray ini_pred = slozka.read("tarvik.ini"),
                         zaloha_pred = obnova ? QByteArray() : slozka.read(zaloha);

        (obnova ? obnov_konfiguraci : zalohuj_konfiguraci)(nullptr, slozka.ini());
        QStringList zaznam;
        for (const zprava& z : zpravy.zpravy)
            zaznam << z.titulek + " | " + z.text;
        const QString info = "Tarvik - info | ";
        // The backup on the medium is read back only after a backup: a FIFO would never answer.
        QCOMPARE(std::tuple(zaznam, slozka.read("tarvik.ini"),
                            obnova ? QByteArray() : slozka.read(zaloha)),
                 std::tuple(QStringList{info + (obnova ? zprava_vlozte_disketu_s_konfiguraci
                                                       : zprava_vlozte_disketu),
                                        !uspech ? "Tarvik - chyba | " + zprava_chyba_kopirovani
                                                : info + (obnova ? zprava_obnova_zkopirovana
                                                                 : zprava_zaloha_zkopirovana)},
                            obnova && uspech ? na_diskete : ini_pred,
                            obnova || !uspech ? zaloha_pred : ini));
    }
};

QTEST_GUILESS_MAIN(tst_config)
#include "tst_config.moc"

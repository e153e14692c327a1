#include "app/backup_dialogue.h"
#include "config/backup.h"
#include "config/codepage.h"
#include "config/config_file.h"
#include "platform/devices.h"
#include "platform/files.h"
#include "support/message_recorder.h"
#include "support/rows.h"
#include "support/temp_folder.h"
#include "support/texts.h"

#include <QtTest>
#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace tarvik;
using tarvik::test::radek;
using namespace Qt::StringLiterals;

namespace {

// A hand-edited file: comments, odd spacing, an unknown section, LF-only lines, duplicates, junk.
const QByteArray rucne = "; upraveno rucne\n[System]\n  Heslo = 42 \nCOM=2\ncom=4\n\n"
                         "[neznama]\r\nx=\x00\xFF\r\n[prazdna]\n\n"
                         "[stykace]\nstykac0 =  styka\xE8 0\n; konec = 1\n[system]\ncom=5"_ba;

// A tmpfs (of 64 kB unless told) mounted for one test, so that a full disk, a folder that takes no
// new file and a removable medium are real. Its root is root's alone, as a medium's usually is, so
// that links on it are not ruled out by the rule for links that others could have made.
struct maly_svazek {
    QTemporaryDir dir;
    bool pripojen;

#ifdef Q_OS_WIN
    // Nothing to mount on Windows: the tests that need it are skipped.
    explicit maly_svazek(int, int = 0) : pripojen(false) {}
#else
    explicit maly_svazek(int inody, int bajtu = 64 << 10)
        : pripojen(
              ::mount("tarvik-test", QFile::encodeName(dir.path()).constData(), "tmpfs", MS_NOSUID,
                      qPrintable(u"size=%1,nr_inodes=%2,mode=0755"_s.arg(bajtu).arg(inody))) == 0) {
    }
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

// Gives the file `soubor` the second name `jmeno` (a hard link).
bool druhe_jmeno(const QString& soubor, const QString& jmeno) {
#ifdef Q_OS_WIN
    return ::CreateHardLinkW(reinterpret_cast<const wchar_t*>(jmeno.utf16()),
                             reinterpret_cast<const wchar_t*>(soubor.utf16()), nullptr);
#else
    return ::link(QFile::encodeName(soubor).constData(), QFile::encodeName(jmeno).constData()) == 0;
#endif
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
        QCOMPARE(z_cp1250(vsechny).mid(128),
                 u"€\u0081‚\u0083„…†‡\u0088‰Š‹ŚŤŽŹ\u0090‘’“”•–—\u0098™š›śťžź\u00A0ˇ˘Ł¤Ą¦§¨©Ş«¬"
                 u"\u00AD®Ż°±˛ł´µ¶·¸ąş»Ľ˝ľżŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓÔŐÖ×ŘŮÚŰÜÝŢßŕáâăäĺćçčéęëěíîďđńňóôőö÷"
                 u"řůúűüýţ˙"_s);
        // Back again, such a control character gives its byte; a character the page lacks, one "?".
        QCOMPARE(na_cp1250(u"a\u0081ñЖ\U0001F600b"_s), "a\x81???b"_ba);
    }

    // The default file as it has always been written, byte for byte (468 CR LF lines). As
    // installed, tarvik.ini in the program's folder links to the file in a folder of the operators'
    // group, where the first start makes it, shared with the group and no one else. A file that
    // another program made meanwhile stays.
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
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(cil).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, 0660u);
#endif
        slozka.write(cil, "[system]\r\ncom=2\r\n");
        QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
        QCOMPARE(slozka.read(cil), "[system]\r\ncom=2\r\n");
    }

    // Every read is of key "az" in section "za", with the default "výchozí": the file (null: none,
    // "/": a folder in its place), the capacity, the value read.
    void cteni_data() {
        test::sloupce<QByteArray, int, QString>({"soubor", "kapacita", "hodnota"});
        radek("Czech cut to 11", "[za]\naz=z\xE1lo\x9Eka 123456"_ba, 12, "záložka 123");
        radek("missing file, default cut too", QByteArray(), 4, "výc");
        radek("folder in place of the file", "/"_ba, 21, "výchozí");
        radek("blank value is empty, not the default", "[za]\r\naz= \t\r\n"_ba, 21, "");
        radek("byte order mark, names in any case, blanks around",
              "\xEF\xBB\xBF[ ZA ]  \r\n\t AZ \t=  a  b \t\r\n"_ba, 21, "a  b");
        radek("comments, keys outside the section, LF-only lines, first of duplicate keys",
              "az=1\n;[za]\naz=2\n[t]\naz=1\n[za]\n  ;az=3\naz=\"a\" ; b\naz=3\n"_ba, 21,
              "\"a\" ; b");
        radek("only the first of duplicate sections", "[za]\nj=1\n[za]\naz=3"_ba, 21, "výchozí");
    }

    void cteni() {
        const auto [soubor, kapacita, hodnota] = test::hodnoty<QByteArray, int, QString>();
        test::docasna_slozka slozka;
        if (soubor == "/")
            QVERIFY(QDir(slozka.path()).mkdir("tarvik.ini"));
        else if (!soubor.isNull())
            slozka.write("tarvik.ini", soubor);
        QCOMPARE(cti_hodnotu(slozka.ini(), u"za", u"az", u"výchozí"_s, kapacita), hodnota);
        QCOMPARE(konfigurace_existuje(slozka.ini()), !soubor.isNull() && soubor != "/");
    }

    // The section, key and value written into the hand-edited file, and the bytes of the file
    // that change: those before, those after.
    void zapis_meni_jen_svou_hodnotu_data() {
        test::sloupce<QString, QString, QString, QByteArray, QByteArray>(
            {"sekce", "klic", "hodnota", "pred", "po"});
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

    // Writes a value into the default file on a small file system (0 inodes: none, and a 250-byte
    // name that leaves no room for a temporary name). The file was made setuid and executable by
    // someone, readable by others, and shared with a group, as installed: a written file keeps its
    // group and its owner's and group's reading and writing, and loses the rest. In place, a
    // shorter value is padded with blanks so that nothing after it moves (which changes make one
    // write in place: tst_platform's zmena_na_miste); a link in the file's place stays; a file
    // with a second name is never written, as the name may be anyone's file. Columns: the file
    // system's inodes, how the file is named (through the administrator's link from the program
    // folder, or with a second name beside it), whether the disk is full, the key, the value, the
    // outcome.
    void zapis_kdyz_chybi_misto_data() {
        test::sloupce<int, QString, bool, QString, QString, QString>(
            {"inody", "jmena", "plny", "klic", "hodnota", "vysledek"});
        const QString x = "x", d20(20, 'd'), s5 = "stykac5", ch = "chlivek319";
        radek("full disk: refused", 9, "", true, s5, x, "refused");
        radek("room for a new file: renamed through the link", 9, "link", false, s5, d20,
              "renamed");
        radek("no free inode, through the link, shorter: in place", 2, "link", false, s5, x,
              "in place");
        radek("no free inode, full, longer on the last page: in place", 3, "", true, ch, "127",
              "in place");
        radek("no free inode, full, shorter: in place", 3, "", true, s5, x, "in place");
        radek("name too long for a temporary name: in place", 0, "", false, s5, x, "in place");
        radek("a second name: refused", 0, "second name", false, s5, x, "refused");
    }

    void zapis_kdyz_chybi_misto() {
        const auto [inody, jmena, plny, klic, hodnota, vysledek] =
            test::hodnoty<int, QString, bool, QString, QString, QString>();
        test::docasna_slozka slozka;
        std::optional<maly_svazek> svazek;
        QString soubor = slozka.file(QString(250, 'n'));
        if (inody > 0) {
            if (!svazek.emplace(inody).pripojen)
                QSKIP("mounting a tmpfs is not allowed here");
            soubor = svazek->dir.filePath("tarvik.ini");
        }
        slozka.write(soubor, vychozi_konfigurace());
#ifndef Q_OS_WIN
        (void)!::chown(QFile::encodeName(soubor).constData(), uid_t(-1), 65534); // nogroup, as root
        QVERIFY(::chmod(QFile::encodeName(soubor).constData(), 04775) == 0);
        const uint skupina = QFileInfo(soubor).groupId();
#endif
        const bool odkaz = jmena == "link";
        QVERIFY(!odkaz || QFile::link(soubor, slozka.ini()));
        const QString druhe = QFileInfo(soubor).dir().filePath("druhe");
        QVERIFY(jmena != "second name" || druhe_jmeno(soubor, druhe));
        QVERIFY(!plny || svazek->zaplni());
        // Open on the old file: a file renamed into its place leaves it as it was.
        QFile stary(soubor);
        QVERIFY(stary.open(QIODevice::ReadOnly));
        const bool zapsano =
            zapis_hodnotu(odkaz ? slozka.ini() : soubor,
                          klic == "stykac5" ? u"stykace" : u"chlivky", klic, hodnota);
        QByteArray po = vychozi_konfigurace();
        if (vysledek == "renamed")
            po.replace("=styka\xE8 5\r", "=" + hodnota.toLatin1() + "\r");
        else if (vysledek == "in place" && klic == "stykac5")
            po.replace("=styka\xE8 5\r", "=x       \r");
        else if (vysledek == "in place")
            po.replace("chlivek319=0\r", "chlivek319=127\r");
        QCOMPARE(zapsano, vysledek != "refused");
        QCOMPARE(slozka.read(soubor), po);
        QCOMPARE(stary.readAll(), vysledek == "renamed" ? vychozi_konfigurace() : po);
#ifndef Q_OS_WIN
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(soubor).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, vysledek == "refused" ? 04775u : 0660u);
        QCOMPARE(QFileInfo(soubor).groupId(), skupina);
#endif
        QCOMPARE(QFileInfo(slozka.ini()).isSymLink(), odkaz);
        // No temporary file is left.
        const QDir::Filters vse = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(QFileInfo(soubor).dir().entryList(vse).size(),
                 qsizetype(1 + plny + (jmena == "second name")));
    }

#ifndef Q_OS_WIN // the rules of a shared folder and of a Linux kernel
    // The new content is on the disk before it takes the old file's place, as the system calls
    // of the writing process show: the temporary file synced, renamed, then its folder synced.
    // Nothing else in the folder is looked at: a change costs the same beside any number of
    // other files.
    void zapis_na_disk() {
        const QString strace = QStandardPaths::findExecutable(u"strace"_s);
        if (strace.isEmpty())
            QSKIP("needs strace");
        test::docasna_slozka slozka;
        slozka.write("tarvik.ini", "[system]\r\ncom=1\r\n");
        QProcess zapis;
        zapis.start(strace,
                    {"-qq", "-e", "trace=fsync,fdatasync,rename,renameat,renameat2,getdents64",
                     "-o", slozka.file("volani"),
                     qEnvironmentVariable("TARVIK_BIN_DIR") + "/tests/tarvik_zapis_hodnoty",
                     slozka.ini(), "system", "com", "2"});
        QVERIFY(zapis.waitForFinished() && zapis.exitCode() == 0);
        QCOMPARE(slozka.read("tarvik.ini"), "[system]\r\ncom=2\r\n");
        QStringList volani;
        for (const QByteArray& r : slozka.read("volani").split('\n'))
            if (!r.isEmpty())
                volani << QString::fromLatin1(r.left(r.indexOf('(')));
        QCOMPARE(volani, (QStringList{"fsync", "rename", "fsync"}));
    }

    // The operators' shared folder (writable by its group) may hold any link an operator made:
    // there the program follows none. Start-up calls the file damaged rather than writing a
    // default one through the link, and no write, restore or default file goes where it leads.
    // The administrator's link from the program's own folder is followed.
    void odkaz_ve_sdilene_slozce() {
        test::docasna_slozka slozka;
        const QString sdilena = slozka.file("sdilena"), cizi = slozka.file("cizi"),
                      zaloha = slozka.file("zaloha.ini");
        QVERIFY(QDir().mkpath(sdilena) && QFile::link(sdilena + "/tarvik.ini", slozka.ini()));
        QVERIFY(::chmod(QFile::encodeName(sdilena), 02775) == 0);
        slozka.write(cizi, "echo cizi\n");
        slozka.write(zaloha, vychozi_konfigurace());
        for (const QString& cil : {cizi, slozka.file("nikam")}) {
            QFile::remove(sdilena + "/tarvik.ini");
            QVERIFY(QFile::link(cil, sdilena + "/tarvik.ini"));
            QVERIFY(konfigurace_existuje(slozka.ini()));
            QVERIFY(konfigurace_poskozena(slozka.ini()));
            QVERIFY(!zapis_hodnotu(slozka.ini(), u"system", u"heslo", "1"));
            QCOMPARE(obnov_soubor(zaloha, slozka.ini()), vysledek_kopie::chyba);
            QVERIFY(!vytvor_konfiguracni_soubor(slozka.ini()));
            QCOMPARE(slozka.read(cizi), "echo cizi\n");
            QVERIFY(!QFile::exists(slozka.file("nikam")));
        }
        // An ordinary file there is the configuration, reached through the administrator's link.
        QFile::remove(sdilena + "/tarvik.ini");
        QCOMPARE(obnov_soubor(zaloha, slozka.ini()), vysledek_kopie::hotovo);
        QVERIFY(!konfigurace_poskozena(slozka.ini()));
        QCOMPARE(slozka.read(sdilena + "/tarvik.ini"), vychozi_konfigurace());
    }

    // Copies that someone keeps beside the configuration or on the medium survive changes and
    // backups, whatever their names. The temporary file that a killed change left beside the
    // file goes at the next change; on the medium nothing is ever removed.
    void kopie_a_zbytky() {
        test::docasna_slozka slozka;
        QTemporaryDir medium(u"/dev/shm/tarvik-medium-XXXXXX"_s);
        QVERIFY(medium.isValid() && QDir().mkpath(slozka.file("dosdevices")) &&
                QFile::link(medium.path(), slozka.file("dosdevices/a:")));
        const QStringList zustava{".tarvik.ini.zapis", "tarvik.ini", "tarvik.ini.240115",
                                  "tarvik.ini.deadbe"};
        for (const QString& kde : {slozka.path(), medium.path()}) {
            for (const QString& j : zustava)
                slozka.write(kde + '/' + j, vychozi_konfigurace());
            const QString ini = kde + "/tarvik.ini";
            slozka.write(docasny_soubor(ini, identita(ini)->cislo), "zbytek");
        }
        QVERIFY(zapis_hodnotu(slozka.ini(), u"system", u"com", "2"));
        QCOMPARE(zalohuj_soubor(slozka.ini(), cesta_zalohy()), vysledek_kopie::hotovo);
        QCOMPARE(QDir(slozka.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), zustava);
        // On the medium, the same and the leftover beside the backup.
        QCOMPARE(QDir(medium.path()).entryList(QDir::Files | QDir::Hidden).size(),
                 zustava.size() + 1);
    }

    // Two programs changing the file at once take turns: every change that each reports saved is
    // in the file afterwards.
    void soubezne_zmeny() {
        test::docasna_slozka slozka;
        slozka.write("tarvik.ini", vychozi_konfigurace());
        QProcess programy[2];
        for (const QString p : {"a", "b"})
            programy[p == "b"].start(qEnvironmentVariable("TARVIK_BIN_DIR") +
                                         "/tests/tarvik_zapis_hodnoty",
                                     {"--rada", slozka.ini(), "soubeh", p, "300"});
        for (QProcess& p : programy)
            QVERIFY(p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit &&
                    p.exitCode() == 0);
        const cteni_konfigurace konfigurace(slozka.ini());
        for (const QString p : {"a", "b"})
            for (int i = 0; i < 300; ++i)
                QCOMPARE(konfigurace.cti(u"soubeh", p + QString::number(i), {}, 4),
                         QString::number(i));
    }

#endif

    // Backup and restore through the menus, with the operator's messages. The medium is a small
    // file system of its own, reached through the link dosdevices/a:. Only a configuration is
    // copied either way, and only an ordinary file with one name is read or replaced; what is
    // refused leaves both files as they were. Columns: restore or backup, what is wrong, the
    // message that ends it.
    void zaloha_a_obnova_data() {
        test::sloupce<bool, QString, QString>({"obnova", "pripad", "zprava"});
        radek("backup", false, "", "copied");
        radek("backup without diskette", false, "without diskette", "copy error");
        radek("backup without file", false, "without file", "copy error");
        radek("backup onto a full medium", false, "full", "copy error");
        radek("backup onto a link on the medium", false, "link", "copy error");
        radek("backup through another account's link on the medium", false, "link on the way",
              "copy error");
        radek("backup of a damaged configuration", false, "damaged", "damaged");
        radek("backup of binary bytes", false, "binary", "damaged");
        radek("restore", true, "", "copied");
        radek("restore over a damaged configuration", true, "damaged", "copied");
        radek("restore without diskette", true, "without diskette", "copy error");
        radek("restore without file", true, "without file", "copy error");
        radek("restore from a link", true, "link", "no configuration");
        radek("restore from a FIFO", true, "FIFO", "no configuration");
        radek("restore from a file with a second name", true, "second name", "no configuration");
        radek("restore from an empty file", true, "empty", "no configuration");
        radek("restore of binary bytes", true, "binary", "no configuration");
        radek("restore from a file over the size limit", true, "over the limit",
              "no configuration");
        radek("restore over a configuration with a second name", true, "second name here",
              "copy error");
    }

    void zaloha_a_obnova() {
        const auto [obnova, pripad, zprava] = test::hodnoty<bool, QString, QString>();
        test::docasna_slozka slozka;
        maly_svazek medium(16, pripad == "over the limit" ? 17 << 20 : 64 << 10);
        if (!medium.pripojen)
            QSKIP("mounting a tmpfs is not allowed here");
        test::zapisnik_zprav zpravy;
        QString na_mediu = pripad == "without diskette" ? slozka.file("nikde") : medium.dir.path();
        if (pripad == "link on the way") {
            // dosdevices/a: leads to the folder "zaloha" on a medium of another account, which
            // made it a link elsewhere.
            const QString jinde = medium.dir.filePath("jinde");
            QVERIFY(QDir().mkdir(jinde) && QFile::link(jinde, medium.dir.filePath("zaloha")));
#ifndef Q_OS_WIN
            if (::chown(QFile::encodeName(medium.dir.path()).constData(), 65534, 65534) != 0)
                QSKIP("giving the medium to another account needs root");
#endif
            na_mediu = medium.dir.filePath("zaloha");
        }
        const QString zaloha = na_mediu + "/tarvik.ini";
        const QByteArray ini = vychozi_konfigurace(),
                         na_diskete = "[system]\r\ncom=2\r\n[stykace]\r\nstykac0=\x8A"
                                      "achta\r\n"_ba,
                         binarni = "[system]\r\ncom=2\r\n\x00\xFF\r\n"_ba;
        QByteArray na_disketu = na_diskete; // an older backup, or the one to restore
        if (obnova && pripad == "empty")
            na_disketu.clear();
        else if (obnova && pripad == "binary")
            na_disketu = binarni;
        else if (pripad == "over the limit")
            na_disketu += QByteArray(nejvetsi_konfigurace + 1 - na_disketu.size(), ';');
        slozka.write("tarvik.ini", obnova && pripad != "damaged" ? ini
                                   : pripad == "binary"          ? binarni
                                   : pripad == "damaged"         ? "\x00\xFF junk\r\n"_ba
                                                                 : ini);
        slozka.write("tajne", "[system]\r\nheslo=7\r\n"); // a configuration not to be reached
        slozka.write(zaloha, na_disketu);
        QVERIFY(QDir().mkpath(slozka.file("dosdevices")) &&
                QFile::link(na_mediu, slozka.file("dosdevices/a:")));
        if (pripad == "without file" || pripad == "link" || pripad == "FIFO")
            QVERIFY(QFile::remove(obnova || pripad != "without file" ? zaloha : slozka.ini()));
        QVERIFY(pripad != "link" || QFile::link(slozka.file("tajne"), zaloha));
#ifndef Q_OS_WIN
        QVERIFY(pripad != "FIFO" || ::mkfifo(QFile::encodeName(zaloha), 0666) == 0);
#endif
        QVERIFY(pripad != "second name" || druhe_jmeno(zaloha, medium.dir.filePath("druhe")));
        QVERIFY(pripad != "second name here" || druhe_jmeno(slozka.ini(), slozka.file("druhe")));
        QVERIFY(pripad != "full" || medium.zaplni());
        const QByteArray ini_pred = slozka.read("tarvik.ini"),
                         zaloha_pred = obnova ? QByteArray() : slozka.read(zaloha);

        (obnova ? obnov_konfiguraci : zalohuj_konfiguraci)(nullptr, slozka.ini());
        QStringList zaznam;
        for (const tarvik::zprava& z : zpravy.zpravy)
            zaznam << z.titulek + " | " + z.text;
        const QString info = "Tarvik - info | ", chyba = "Tarvik - chyba | ";
        QStringList ocekavane;
        if (obnova || pripad != "damaged")
            ocekavane << info + (obnova ? test::texty::vlozte_zalohu : test::texty::vlozte_disketu);
        if (zprava == "copied")
            ocekavane << info + (obnova ? test::texty::obnoveno : test::texty::zalohovano);
        else if (zprava == "copy error")
            ocekavane << chyba + test::texty::chyba_kopirovani;
        else if (zprava == "damaged")
            ocekavane << chyba + u"Konfigurační soubor je poškozen, a proto se nezálohuje: "
                                 u"záloha na disketě zůstává, jak byla. Obnovte konfiguraci ze "
                                 u"zálohy: Konfigurace – Obnova konfigurace z diskety."_s;
        else
            ocekavane << chyba + u"Soubor tarvik.ini na disketě není použitelná konfigurace (je "
                                 u"prázdný, poškozený, příliš velký nebo to není obyčejný "
                                 u"soubor), a proto se neobnovuje. Konfigurace zůstává, jak "
                                 u"byla."_s;
        QCOMPARE(zaznam, ocekavane);
        QCOMPARE(slozka.read("tarvik.ini"), obnova && zprava == "copied" ? na_diskete : ini_pred);
        // The backup on the medium is read back only after a backup: a FIFO would never answer.
        if (!obnova)
            QCOMPARE(slozka.read(zaloha), zprava == "copied" ? ini : zaloha_pred);
    }
};
QTEST_GUILESS_MAIN(tst_config)
#include "tst_config.moc"

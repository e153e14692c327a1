#include "app/backup_dialogue.h"
#include "app/main_window.h"
#include "config/codepage.h"
#include "config/config_file.h"
#include "dialogs/frm_com.h"
#include "platform/devices.h"
#include "platform/files.h"
#include "support/message_recorder.h"
#include "support/rows.h"
#include "support/temp_folder.h"
#include "support/texts.h"

#include <QtTest>
#include <QtWidgets>
#ifndef Q_OS_WIN
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

#ifndef Q_OS_WIN
// A file system of its own (a tmpfs of `bajtu` bytes, its root with the mode `prava`) mounted at
// the folder `slozka` while it lives: a full disk and a removable medium are real ones.
struct svazek {
    QByteArray slozka;
    bool pripojen;
    svazek(const QString& s, qint64 bajtu, const char* prava)
        : slozka(QFile::encodeName(s)),
          pripojen(QDir().mkpath(s) &&
                   ::mount("tarvik-test", slozka.constData(), "tmpfs", MS_NOSUID,
                           qPrintable(u"size=%1,mode=%2"_s.arg(bajtu).arg(prava))) == 0) {}
    ~svazek() { ::umount2(slozka.constData(), MNT_DETACH); } // nothing where nothing is mounted
    // Fills every free byte with a file of its own.
    bool zaplni() const {
        QFile vypln(QFile::decodeName(slozka) + "/vypln");
        bool otevren = vypln.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (otevren && vypln.write(QByteArray(4096, 'v')) == 4096) {
        }
        return otevren;
    }
};

// Makes `soubor` a file of the kind `druh` (see zapis_do_souboru) holding `obsah`, and returns
// what reading it gives (null: nothing). Beside it, "cizi" is a configuration that no write or
// restore may reach.
QByteArray priprav(const test::docasna_slozka& slozka, const QString& soubor, const QString& druh,
                   QByteArray obsah, const svazek& disk) {
    const QByteArray f = QFile::encodeName(soubor);
    const QString cizi = QFileInfo(soubor).dir().filePath("cizi");
    slozka.write(cizi, "[system]\r\nheslo=7\r\n");
    if (druh.endsWith("link")) // to "cizi", or to nothing
        return QFile::link(cizi + (druh == "link" ? "" : "-nikde"), soubor) ? slozka.read(soubor)
                                                                            : "not prepared"_ba;
    if (druh == "FIFO")
        return ::mkfifo(f.constData(), 0666) == 0 ? "FIFO"_ba : "not prepared"_ba;
    if (druh == "empty")
        obsah = ""_ba;
    else if (druh == "binary")
        obsah += "\x00\xFF\r\n"_ba;
    else if (druh == "over the limit")
        obsah += QByteArray(nejvetsi_konfigurace + 1 - obsah.size(), ';');
    if (druh.startsWith("missing") || druh == "no medium")
        obsah = QByteArray();
    else
        slozka.write(soubor, obsah);
    // Of the group nogroup (where the test may give it away), set-user-ID and readable by others,
    // as someone left it: a written file keeps its group and loses the rest.
    (void)::chown(f.constData(), uid_t(-1), 65534);
    (void)::chmod(f.constData(), druh == "unreadable" ? 0 : 04775);
    if ((druh == "second name" && ::link(f.constData(), (f + "-druhe").constData()) != 0) ||
        (druh.contains("full") && !disk.zaplni()) ||
        (druh.contains("closed") && ::chmod(disk.slozka.constData(), 02555) != 0))
        return "not prepared"_ba;
    return obsah;
}

// What the administrator is told, by the codes of zapis_do_souboru: the box's title and text.
QMap<QString, QString> zpravy_spravci() {
    const QString info = u"info: "_s, chyba = u"chyba: "_s; // the box's title: "Tarvik - info"
    return {{"neulozeno", chyba + test::texty::neulozeno},
            {"chybi", chyba + zprava_chybi_konfigurace},
            {"vytvoreni", chyba + zprava_chyba_vytvoreni},
            {"poskozena", chyba + zprava_poskozena_konfigurace},
            {"disketa", info + test::texty::vlozte_disketu},
            {"zaloha", info + test::texty::vlozte_zalohu},
            {"zalohovano", info + test::texty::zalohovano},
            {"obnoveno", info + test::texty::obnoveno},
            {"kopirovani", chyba + test::texty::chyba_kopirovani},
            {"nezalohuje", chyba + u"Konfigurační soubor je poškozen, a proto se nezálohuje: "
                                   u"záloha na disketě zůstává, jak byla. Obnovte konfiguraci ze "
                                   u"zálohy: Konfigurace – Obnova konfigurace z diskety."_s},
            {"nepouzitelna", chyba + u"Soubor tarvik.ini na disketě není použitelná konfigurace "
                                     u"(je prázdný, poškozený, příliš velký nebo to není obyčejný "
                                     u"soubor), a proto se neobnovuje. Konfigurace zůstává, jak "
                                     u"byla."_s}};
}

// The test's own world: mounts of its own that no one else sees (as root in a mount namespace of
// its own, otherwise in a user namespace too, where the account is root of its own mounts, where
// the system allows it); and without the power to override permissions that root has, so that an
// unreadable file and a closed folder are so for the test as for an operator.
void vlastni_svet() {
    const auto zapis = [](const char* soubor, const QByteArray& obsah) {
        QFile f(soubor);
        return f.open(QIODevice::WriteOnly) && f.write(obsah) == obsah.size();
    };
    const QByteArray uid = QByteArray::number(::geteuid()), gid = QByteArray::number(::getegid());
    if (::unshare(CLONE_NEWNS) == 0 ||
        (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 && zapis("/proc/self/setgroups", "deny") &&
         zapis("/proc/self/uid_map", "0 " + uid + " 1") &&
         zapis("/proc/self/gid_map", "0 " + gid + " 1")))
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    __user_cap_header_struct hlavicka{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct prava[2]{};
    ::syscall(SYS_capget, &hlavicka, prava);
    prava[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER);
    ::syscall(SYS_capset, &hlavicka, prava);
}
#endif

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
        static const QRegularExpression argumenty(u"\\(.*"_s); // to the line's end
        QCOMPARE(QString::fromLatin1(slozka.read("volani")).remove(argumenty),
                 u"fsync\nrename\nfsync\n"_s);
    }

    // Every path that writes the configuration or its backup, against every kind of file it may
    // meet there, as installed: tarvik.ini in the program's folder links to the file in a folder
    // that the operators' group shares (a file system of its own), and dosdevices/a: to the
    // medium. Beside both files lie copies that someone keeps; they survive every path, and no
    // temporary file is left. A written file is never executable, set-user-ID or readable by
    // others. Rows are named by the path (a change of the port in its dialog, the start-up, the
    // backup and the restore, as the administrator takes them; the start-up's default file where
    // another program made the file after the start-up found none) and the kind of the file it
    // meets (the other file is an ordinary one); then what the path's target holds (the old bytes,
    // the new ones in a new file, or the new ones written in place) and the messages, in order.
    void zapis_do_souboru_data() {
        test::sloupce<QString, QString, QString, QString>({"cesta", "druh", "vysledek", "zpravy"});
        const auto r = [](const char* cesta, const char* druh, const char* vysl, const char* z) {
            QTest::addRow("%s %s", cesta, druh)
                << QString(cesta) << QString(druh) << QString(vysl) << QString(z);
        };
        const char *stary = "old", *novy = "new";
        r("change:", "regular", novy, "");
        r("change:", "missing", novy, "");
        r("change:", "empty", novy, "");
        r("change:", "over the limit", stary, "neulozeno");
        r("change:", "unreadable", stary, "neulozeno");
        r("change:", "link", stary, "neulozeno");
        r("change:", "dangling link", stary, "neulozeno");
        r("change:", "second name", stary, "neulozeno");
        r("change:", "full", stary, "neulozeno");
        r("change:", "closed", "in place", "");
        r("default file (a program made it meanwhile) over", "regular", stary, "");
        r("start:", "missing", novy, "chybi");
        r("start:", "empty", stary, "poskozena");
        r("start:", "over the limit", stary, "poskozena");
        r("start:", "unreadable", stary, "poskozena");
        r("start:", "link", stary, "poskozena");
        r("start:", "dangling link", stary, "poskozena");
        r("start:", "second name", stary, "poskozena");
        r("start:", "missing, full", stary, "chybi vytvoreni");
        r("start:", "missing, closed", stary, "chybi vytvoreni");
        r("backup onto", "regular", novy, "disketa zalohovano");
        r("backup onto", "missing", novy, "disketa zalohovano");
        r("backup onto", "empty", novy, "disketa zalohovano");
        r("backup onto", "over the limit", novy, "disketa zalohovano");
        r("backup onto", "unreadable", stary, "disketa kopirovani");
        r("backup onto", "link", stary, "disketa kopirovani");
        r("backup onto", "second name", stary, "disketa kopirovani");
        r("backup onto", "full", stary, "disketa kopirovani");
        r("backup onto", "closed", stary, "disketa kopirovani");
        r("backup onto", "no medium", stary, "disketa kopirovani");
        r("backup of", "missing", stary, "disketa kopirovani");
        r("backup of", "empty", stary, "nezalohuje");
        r("backup of", "over the limit", stary, "nezalohuje");
        r("backup of", "unreadable", stary, "nezalohuje");
        r("backup of", "link", stary, "nezalohuje");
        r("backup of", "second name", stary, "nezalohuje");
        r("backup of", "binary", stary, "disketa nezalohuje");
        r("restore from", "regular", novy, "zaloha obnoveno");
        r("restore from", "missing", stary, "zaloha kopirovani");
        r("restore from", "empty", stary, "zaloha nepouzitelna");
        r("restore from", "over the limit", stary, "zaloha nepouzitelna");
        r("restore from", "unreadable", stary, "zaloha nepouzitelna");
        r("restore from", "link", stary, "zaloha nepouzitelna");
        r("restore from", "second name", stary, "zaloha nepouzitelna");
        r("restore from", "binary", stary, "zaloha nepouzitelna");
        r("restore from", "FIFO", stary, "zaloha nepouzitelna");
        r("restore from", "no medium", stary, "zaloha kopirovani");
        r("restore over", "missing", novy, "zaloha obnoveno");
        r("restore over", "empty", novy, "zaloha obnoveno");
        r("restore over", "over the limit", novy, "zaloha obnoveno");
        r("restore over", "unreadable", stary, "zaloha kopirovani");
        r("restore over", "link", stary, "zaloha kopirovani");
        r("restore over", "second name", stary, "zaloha kopirovani");
        r("restore over", "full", stary, "zaloha kopirovani");
        r("restore over", "closed", stary, "zaloha kopirovani");
    }

    void zapis_do_souboru() {
        const auto [cesta, druh, vysledek, zpravy] =
            test::hodnoty<QString, QString, QString, QString>();
        const bool na_mediu = cesta.endsWith("onto") || cesta.endsWith("from");
        test::docasna_slozka slozka;
        const qint64 velky = druh == "over the limit" ? 17 << 20 : 64 << 10;
        const svazek data(slozka.file("data"), na_mediu ? 64 << 10 : velky, "2775"),
            medium(slozka.file("medium"), na_mediu ? velky : 64 << 10, "755");
        if (!data.pripojen || !medium.pripojen)
            QSKIP("mounting a tmpfs is not allowed here");
        const QString ini = slozka.file("data/tarvik.ini"),
                      zaloha = slozka.file("medium/tarvik.ini");
        QVERIFY(QFile::link(ini, slozka.ini()) && QDir().mkdir(slozka.file("dosdevices")) &&
                QFile::link(slozka.file(druh == "no medium" ? "nikde" : "medium"),
                            slozka.file("dosdevices/a:")) &&
                QFile::link(slozka.file("nikde"), slozka.file("dosdevices/com1")));
        slozka.write("data/tarvik.ini.240115", vychozi_konfigurace());
        const QByteArray na_diskete = "[system]\r\ncom=2\r\nstykac0=\x8Akoda\r\n"_ba,
                         ini_pred = priprav(slozka, ini, na_mediu ? "regular" : druh,
                                            vychozi_konfigurace(), data),
                         zaloha_pred = priprav(slozka, zaloha, na_mediu ? druh : "regular",
                                               na_diskete, medium);
        const auto jmena = [&] {
            QStringList j = QDir(slozka.file("data")).entryList(QDir::AllEntries | QDir::Hidden) +
                            QDir(slozka.file("medium")).entryList(QDir::AllEntries | QDir::Hidden);
            j.removeAll("tarvik.ini");
            return j;
        };
        // What a killed change of the backup would have left there: no backup removes it.
        slozka.write(docasny_soubor(zaloha, identita(zaloha) ? identita(zaloha)->cislo : 0), "x");
        const QStringList jmena_pred = jmena();
        struct stat pred {
        }, po{};
        ::stat(QFile::encodeName(ini).constData(), &pred);

        test::zapisnik_zprav zaznam;
        if (cesta == "change:") {
            frm_com d(slozka.ini(), [](int) { return true; }, {});
            d.findChild<QAbstractButton*>("Option1_1")->click();
            d.findChild<QAbstractButton*>("bt_ok")->click();
        } else if (cesta.startsWith("default file")) {
            QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
        } else if (cesta == "start:") {
            // No controller: it ends at the port's message.
            QVERIFY(!frm_main().Form_Load() && !zaznam.zpravy.isEmpty());
            zaznam.zpravy.removeLast();
        } else {
            (cesta.startsWith("backup") ? zalohuj_konfiguraci : obnov_konfiguraci)(nullptr,
                                                                                   slozka.ini());
        }
        QStringList zobrazene; // by their codes, a message of none by its text
        for (const zprava& z : zaznam.zpravy)
            zobrazene << zpravy_spravci().key(z.titulek.section(u' ', 2) + ": " + z.text, z.text);
        QCOMPARE(zobrazene, zpravy.split(u' ', Qt::SkipEmptyParts));

        // The target holds the old bytes or the new ones, the other file the old ones; line by
        // line, so that a failure shows the line.
        QByteArray novy = zaloha_pred; // a restore's
        if (cesta == "change:")
            novy = ini_pred.isEmpty()
                       ? "[system]\r\ncom=2\r\n"_ba
                       : QByteArray(ini_pred).replace("\r\ncom=1\r\n", "\r\ncom=2\r\n");
        else if (cesta == "start:")
            novy = slozka.read(QFINDTESTDATA("tarvik.ini"));
        const bool zapsano = vysledek != "old", zalohuje = cesta.startsWith("backup");
        if (druh == "unreadable") // for the test to read
            (void)::chmod(QFile::encodeName(na_mediu ? zaloha : ini).constData(), 0600);
        const QList<QByteArray> zadny{"(no file)"};
        const auto je = [&](const QString& f) {
            return QFileInfo::exists(f) ? slozka.read(f).split('\n') : zadny;
        };
        const auto ma_byt = [&](const QByteArray& b) { return b.isNull() ? zadny : b.split('\n'); };
        QCOMPARE(je(ini), ma_byt(zapsano && !zalohuje ? novy : ini_pred));
        if (druh != "FIFO")
            QCOMPARE(je(zaloha), ma_byt(zapsano && zalohuje ? ini_pred : zaloha_pred));
        if (zapsano && !zalohuje) {
            QVERIFY(::stat(QFile::encodeName(ini).constData(), &po) == 0);
            QCOMPARE(po.st_mode & 07777, 0660u);
            QCOMPARE(po.st_ino == pred.st_ino, vysledek == "in place");
            QVERIFY(!pred.st_ino || po.st_gid == pred.st_gid);
        }
        QCOMPARE(jmena(), jmena_pred);
    }

    // On a medium of another account, which made dosdevices/a:'s folder there a link elsewhere,
    // the link is not the administrator's: there is no medium. Giving the medium away needs root.
    void medium_jineho_uctu() {
        test::docasna_slozka slozka;
        const svazek medium(slozka.file("medium"), 64 << 10, "755");
        QVERIFY(QDir().mkpath(slozka.file("medium/jinde")) &&
                QFile::link(slozka.file("medium/jinde"), slozka.file("medium/zaloha")) &&
                QDir().mkdir(slozka.file("dosdevices")) &&
                QFile::link(slozka.file("medium/zaloha"), slozka.file("dosdevices/a:")));
        if (!medium.pripojen || ::chown(medium.slozka.constData(), 65534, 65534) != 0)
            QSKIP("giving the medium to another account needs root");
        QCOMPARE(cesta_zalohy(), QString());
    }

    // The temporary file that a killed change left beside the file goes at the next change.
    void zbytek_zabite_zmeny() {
        test::docasna_slozka slozka;
        slozka.write("tarvik.ini", vychozi_konfigurace());
        const QString zbytek = docasny_soubor(slozka.ini(), identita(slozka.ini())->cislo);
        slozka.write(zbytek, "zbytek");
        QVERIFY(zapis_hodnotu(slozka.ini(), u"system", u"com", "2"));
        QVERIFY(!QFile::exists(zbytek));
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
};
int main(int argc, char** argv) {
#ifndef Q_OS_WIN
    vlastni_svet();
#endif
    QApplication aplikace(argc, argv);
    tst_config test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_config.moc"

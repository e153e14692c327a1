#include "app/backup_dialogue.h"
#include "config/codepage.h"
#include "config/config_file.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tarvik;

namespace {

// The default file as it has always been written, spelled out with the code page's bytes.
QByteArray ocekavany_vychozi_soubor() {
    QByteArray e = "[system]\r\nheslo=1596403827\r\ncom=1\r\n\r\n[zalozky]\r\n";
    for (int n = 1; n <= 5; ++n)
        e += "nazev" + QByteArray::number(n) + "=z\xE1lo\x9Eka " + QByteArray::number(n) + "\r\n";
    for (int n = 1; n <= 5; ++n)
        e += "aktivni" + QByteArray::number(n) + "=1\r\n";
    e += "\r\n[stykace]\r\n";
    for (int n = 0; n < 128; ++n)
        e += "stykac" + QByteArray::number(n) + "=styka\xE8 " + QByteArray::number(n) + "\r\n";
    e += "\r\n[chlivky]\r\n";
    for (int n = 0; n < 320; ++n)
        e += "chlivek" + QByteArray::number(n) + "=" + QByteArray::number(n < 128 ? n : 0) + "\r\n";
    return e + "\r\n";
}

template <std::size_t N> QByteArray bajty(const char (&s)[N]) {
    return QByteArray(s, N - 1); // with the NUL bytes inside
}

// A hand-edited file: comments, odd spacing, an unknown section, LF-only lines, duplicates, junk.
const QByteArray rucne = bajty("; upraveno rucne\n[System]\n  Heslo = 42 \nCOM=2\ncom=4\n\n"
                               "[neznama]\r\nx=\x00\xFF\r\n[prazdna]\n\n"
                               "[stykace]\nstykac0 =  styka\xE8 0\n; konec\n[system]\ncom=5");

template <typename... T> void radek(const char* nazev, const T&... sloupce) {
    (QTest::newRow(nazev) << ... << sloupce);
}

QStringList soubory(const QString& slozka) {
    return QDir(slozka).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A small tmpfs of 64 kB mounted for one test, so that a full disk, a folder that takes no new
// file and a removable medium are real.
class maly_svazek {
public:
    explicit maly_svazek(const QByteArray& volby) {
        if (::mount("tarvik-test", QFile::encodeName(dir_.path()).constData(), "tmpfs", MS_NOSUID,
                    ("size=64k," + volby).constData()) == 0)
            pripojen_ = true;
        else
            chyba_ = "mounting a tmpfs is not allowed here: " + QByteArray(std::strerror(errno));
    }
    ~maly_svazek() {
        if (pripojen_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    maly_svazek(const maly_svazek&) = delete;
    maly_svazek& operator=(const maly_svazek&) = delete;

    const char* chyba() const { return pripojen_ ? nullptr : chyba_.constData(); }
    QString path() const { return dir_.path(); }
    QString file(const QString& jmeno) const { return dir_.filePath(jmeno); }
    // Fills every free byte with a file of its own.
    bool zaplni() const {
        QFile vypln(file("vypln"));
        if (!vypln.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray blok(4096, 'v');
        while (vypln.write(blok) == blok.size()) {
        }
        return true;
    }

private:
    QTemporaryDir dir_;
    bool pripojen_ = false;
    QByteArray chyba_;
};

#define PRIPOJ(svazek, volby)                                                                      \
    maly_svazek svazek(volby);                                                                     \
    if (svazek.chyba())                                                                            \
        QSKIP(svazek.chyba());

ino_t inode(const QString& cesta) {
    struct stat st {};
    return ::stat(QFile::encodeName(cesta).constData(), &st) == 0 ? st.st_ino : 0;
}

// Helper mode of this executable: writes one value back and forth without end, so that the test
// can kill it at any moment of a write.
constexpr char zapisuj_prikaz[] = "--zapisuj-dokola";

int zapisuj_dokola(const QString& cesta) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    for (quint64 i = 0;
         zapis_hodnotu(cesta, u"stykace", u"stykac5", i % 2 ? QString(20, 'b') : "a"); ++i)
        if (i == 0)
            std::puts("zapisuji");
    return 1;
}

} // namespace

class tst_config : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void code_page_round_trips();
    void default_file_is_exact();
    void reads_data();
    void reads();
    void writes_change_only_their_value_data();
    void writes_change_only_their_value();
    void writes_where_room_runs_out_data();
    void writes_where_room_runs_out();
    void writes_keep_permissions_and_share_new_files();
    void killed_writer_never_leaves_a_damaged_file();
    void backup_and_restore_data();
    void backup_and_restore();
};

void tst_config::code_page_round_trips() {
    QByteArray vsechny;
    for (int b = 0; b < 256; ++b)
        vsechny.append(static_cast<char>(b));
    QCOMPARE(na_cp1250(z_cp1250(vsechny)), vsechny);
    QCOMPARE(z_cp1250("\xE1\xE8\xEF\xE9\xEC\xED\xF2\xF3\xF8\x9A\x9D\xFA\xF9\xFD\x9E"
                      "\xC1\xC8\xCF\xC9\xCC\xCD\xD2\xD3\xD8\x8A\x8D\xDA\xD9\xDD\x8E"
                      "\x80\x84\x93\x96\x97\x85"),
             QStringLiteral("áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ€„“–—…"));
    QCOMPARE(na_cp1250(QStringLiteral("añЖ\U0001F600b")), "a???b"); // one mark a character
}

void tst_config::default_file_is_exact() {
    test::docasna_slozka slozka;
    QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
    const QByteArray soubor = slozka.read("tarvik.ini");
    QCOMPARE(soubor.count("\r\n"), 468);
    QCOMPARE(soubor, ocekavany_vychozi_soubor());
}

// Every read is of key k in section s, with the default "výchozí". A null file is no file, "/"
// a folder in its place.
void tst_config::reads_data() {
    QTest::addColumn<QByteArray>("soubor");
    QTest::addColumn<int>("kapacita");
    QTest::addColumn<QString>("hodnota");
    const int k = kapacita::stykac;
    radek("name cut to 20", bajty("[s]\r\nk=abcdefghijklmnopqrstuvwxy\r\n"), k,
          "abcdefghijklmnopqrst");
    radek("Czech caption cut to 11", bajty("[s]\r\nk=z\xE1lo\x9Eka 123456\r\n"), kapacita::nazev,
          "záložka 123");
    radek("missing file, default cut too", QByteArray(), kapacita::chlivek, "výc");
    radek("folder in place of the file", bajty("/"), k, "výchozí");
    radek("blank value is empty, not the default", bajty("[s]\r\nk= \t\r\n"), k, "");
    radek("byte order mark, names in any case, blanks around",
          bajty("\xEF\xBB\xBF[ S ]  \r\n\t K \t=  a  b \t\r\n"), k, "a  b");
    radek("comments and keys outside the section skipped, quotes and ; kept",
          bajty("k=1\r\n;[s]\r\nk=2\r\n[s]\r\n  ;k=3\r\nk=\"a\" ; b\r\n"), k, "\"a\" ; b");
    radek("LF-only lines, first of duplicate keys", bajty("[t]\nk=1\n[s]\nk=2\nk=3\n"), k, "2");
    radek("only the first of duplicate sections", bajty("[s]\r\nj=1\r\n[s]\r\nk=3\r\n"), k,
          "výchozí");
    radek("junk, lines of 1 MB",
          bajty("\x00\xFF\x01junk\x00\r\n[s]\r\n\x7F\x80\x00=\x00\r\n") + QByteArray(1 << 20, '=') +
              "\r\nk=2\r\n" + QByteArray(1 << 20, '['),
          k, "2");
}

void tst_config::reads() {
    QFETCH(QByteArray, soubor);
    QFETCH(int, kapacita);
    QFETCH(QString, hodnota);
    test::docasna_slozka slozka;
    if (soubor == "/")
        QVERIFY(QDir(slozka.path()).mkdir("tarvik.ini"));
    else if (!soubor.isNull())
        slozka.write("tarvik.ini", soubor);
    QCOMPARE(cti_hodnotu(slozka.ini(), u"s", u"k", QStringLiteral("výchozí"), kapacita), hodnota);
    QCOMPARE(konfigurace_existuje(slozka.ini()), !soubor.isNull() && soubor != "/");
}

void tst_config::writes_change_only_their_value_data() {
    QTest::addColumn<QString>("sekce");
    QTest::addColumn<QString>("klic");
    QTest::addColumn<QString>("hodnota");
    QTest::addColumn<QByteArray>("po");
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

void tst_config::writes_change_only_their_value() {
    QFETCH(QString, sekce);
    QFETCH(QString, klic);
    QFETCH(QString, hodnota);
    QFETCH(QByteArray, po);
    test::docasna_slozka slozka;
    slozka.write("tarvik.ini", rucne);
    QVERIFY(zapis_hodnotu(slozka.ini(), sekce, klic, hodnota));
    QCOMPARE(slozka.read("tarvik.ini"), po);
}

void tst_config::writes_where_room_runs_out_data() {
    QTest::addColumn<QByteArray>("volby"); // of the small file system; null: none, a 250-byte name
    QTest::addColumn<bool>("odkaz");       // tarvik.ini in the program folder links to the file
    QTest::addColumn<bool>("plny");
    QTest::addColumn<QString>("hodnota");
    QTest::addColumn<QString>("vysledek");
    const QString delsi(20, 'd');
    radek("full disk: refused", QByteArray("nr_inodes=9"), false, true, QString("x"), "refused");
    radek("room for a new file: renamed into place through the link", QByteArray("nr_inodes=9"),
          true, false, delsi, "renamed");
    radek("no free inode: in place", QByteArray("nr_inodes=2"), false, false, delsi, "in place");
    radek("no free inode, through the link: in place", QByteArray("nr_inodes=2"), true, false,
          delsi, "in place");
    radek("no free inode, full, value longer than the room left: refused",
          QByteArray("nr_inodes=3"), false, true, QString(5000, 'd'), "refused");
    radek("no free inode, full, shorter value: in place", QByteArray("nr_inodes=3"), false, true,
          QString("x"), "in place");
    radek("name too long for a temporary name: in place", QByteArray(), false, false, delsi,
          "in place");
}

// Writes stykac5 into the default file (its old value "stykač 5").
void tst_config::writes_where_room_runs_out() {
    QFETCH(QByteArray, volby);
    QFETCH(bool, odkaz);
    QFETCH(bool, plny);
    QFETCH(QString, hodnota);
    QFETCH(QString, vysledek);
    test::docasna_slozka slozka;
    std::optional<maly_svazek> svazek;
    QString soubor = slozka.file(QString(250, 'n'));
    if (!volby.isNull()) {
        svazek.emplace(volby);
        if (svazek->chyba())
            QSKIP(svazek->chyba());
        soubor = svazek->file("tarvik.ini");
    }
    const QByteArray pred = vychozi_konfigurace();
    slozka.write(soubor, pred);
    if (odkaz)
        QVERIFY(QFile::link(soubor, slozka.ini()));
    if (plny)
        QVERIFY(svazek->zaplni());
    const ino_t puvodni = inode(soubor);

    QCOMPARE(zapis_hodnotu(odkaz ? slozka.ini() : soubor, u"stykace", u"stykac5", hodnota),
             vysledek != "refused");
    QCOMPARE(slozka.read(soubor),
             vysledek == "refused"
                 ? pred
                 : QByteArray(pred).replace("=styka\xE8 5\r", "=" + hodnota.toLatin1() + "\r"));
    QCOMPARE(inode(soubor) == puvodni, vysledek != "renamed");
    QCOMPARE(QFileInfo(slozka.ini()).isSymLink(), odkaz);
    const QStringList zbyle = soubory(QFileInfo(soubor).absolutePath());
    QCOMPARE(zbyle.size(), plny ? 2 : 1); // no temporary file left behind

    if (!volby.isNull())
        return;
    // A file far too large for a configuration file is never loaded whole, nor rewritten.
    QFile velky(slozka.file("velky.ini"));
    QVERIFY(velky.open(QIODevice::WriteOnly) && velky.resize(nejvetsi_konfigurace + 1));
    QVERIFY(!zapis_hodnotu(velky.fileName(), u"system", u"com", "2"));
    QCOMPARE(velky.size(), nejvetsi_konfigurace + 1);
}

// As installed: tarvik.ini in the program's folder links to the file in a folder of the operators'
// group, where the first start makes it.
void tst_config::writes_keep_permissions_and_share_new_files() {
    test::docasna_slozka slozka;
    const auto skupina = QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    const auto vlastnik = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const QString data = slozka.file("data"), cil = slozka.file("data/tarvik.ini");
    QVERIFY(QDir().mkpath(data) && QFile::link(cil, slozka.ini()));
    QFile::setPermissions(data, QFile::permissions(data) | skupina | QFileDevice::ExeGroup);
    QVERIFY(!konfigurace_existuje(slozka.ini()));
    QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
    QVERIFY(QFileInfo(slozka.ini()).isSymLink());
    QCOMPARE(slozka.read(cil), vychozi_konfigurace());
    QVERIFY((QFile::permissions(cil) & skupina) == skupina);

    QFile::setPermissions(cil, vlastnik);
    QVERIFY(zapis_hodnotu(slozka.ini(), u"system", u"com", "2"));
    QVERIFY(QFileInfo(slozka.ini()).isSymLink());
    QCOMPARE(slozka.read(cil), QByteArray(vychozi_konfigurace()).replace("com=1", "com=2"));
    QCOMPARE(QFile::permissions(cil) & (skupina | vlastnik), vlastnik);
}

void tst_config::killed_writer_never_leaves_a_damaged_file() {
    test::docasna_slozka slozka;
    slozka.write("tarvik.ini", vychozi_konfigurace());
    const auto s_hodnotou = [](const QByteArray& v) {
        return vychozi_konfigurace().replace("=styka\xE8 5\r", "=" + v + "\r");
    };
    for (int pokus = 0; pokus < 20; ++pokus) {
        QProcess pisar;
        pisar.start(QCoreApplication::applicationFilePath(), {zapisuj_prikaz, slozka.ini()});
        QVERIFY2(pisar.waitForReadyRead(60'000), "the writer never wrote");
        QTest::qSleep(QRandomGenerator::global()->bounded(20));
        pisar.kill();
        QVERIFY(pisar.waitForFinished());
        const QByteArray po = slozka.read("tarvik.ini");
        QVERIFY(po == s_hodnotou("a") || po == s_hodnotou(QByteArray(20, 'b')));
    }
}

void tst_config::backup_and_restore_data() {
    QTest::addColumn<bool>("obnova");
    QTest::addColumn<QString>("pripad");
    QTest::addColumn<bool>("uspech");
    for (const bool obnova : {false, true})
        for (const char* pripad : {"", "into a folder on the medium", "without diskette",
                                   "without file", "onto a link to an empty folder beside"})
            QTest::addRow("%s %s", obnova ? "restore" : "backup", pripad)
                << obnova << QString(pripad) << (QByteArray(pripad).startsWith("into") || !*pripad);
    radek("backup onto a full medium", false, QString("full"), false);
    radek("backup onto a link on the medium", false, QString("link"), false);
    for (const char* pripad : {"link", "FIFO", "device", "oversized"})
        QTest::addRow("restore from a %s", pripad) << true << QString(pripad) << false;
}

// The medium is a small file system of its own, reached through the link dosdevices/a:.
void tst_config::backup_and_restore() {
    QFETCH(bool, obnova);
    QFETCH(QString, pripad);
    QFETCH(bool, uspech);
    test::docasna_slozka slozka;
    PRIPOJ(medium, "nr_inodes=16");
    test::zapisnik_zprav zpravy;
    QString na_mediu = medium.path();
    if (pripad.startsWith("into"))
        na_mediu = medium.file("zaloha");
    if (pripad.startsWith("onto a link to an empty folder"))
        na_mediu = slozka.file("prazdna");
    if (pripad == "without diskette")
        na_mediu = slozka.file("nikde");
    else
        QVERIFY(QDir().mkpath(na_mediu));
    QVERIFY(QDir().mkpath(slozka.file("dosdevices")) &&
            QFile::link(na_mediu, slozka.file("dosdevices/a:")));
    const QString zaloha = na_mediu + "/tarvik.ini";
    const QByteArray ini = vychozi_konfigurace(), na_diskete = bajty("[system]\ncom=2\n\x00\xFF\n"),
                     tajne = "heslo=tajne\n";
    slozka.write("tarvik.ini", ini);
    slozka.write("tajne", tajne);
    if (!pripad.startsWith("onto a link to an empty"))
        slozka.write(zaloha, na_diskete); // an older backup, or the one to restore
    if (pripad == "without file")
        QVERIFY(QFile::remove(obnova ? zaloha : slozka.ini()));
    if (pripad == "link")
        QVERIFY(QFile::remove(zaloha) && QFile::link(slozka.file("tajne"), zaloha));
    if (pripad == "FIFO")
        QVERIFY(QFile::remove(zaloha) && ::mkfifo(QFile::encodeName(zaloha), 0666) == 0);
    if (pripad == "device" && (!QFile::remove(zaloha) ||
                               ::mknod(QFile::encodeName(zaloha), S_IFCHR | 0666, makedev(1, 5))))
        QSKIP("no device can be made here");
    if (pripad == "oversized") { // of 16 MB, taking no room on the medium
        QFile f(zaloha);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(nejvetsi_konfigurace + 1));
    }
    if (pripad == "full")
        QVERIFY(medium.zaplni());
    const QByteArray zaloha_pred = obnova ? QByteArray() : slozka.read(zaloha);

    obnova ? obnov_konfiguraci(nullptr, slozka.ini()) : zalohuj_konfiguraci(nullptr, slozka.ini());
    QStringList zaznam;
    for (const zprava& z : zpravy.zpravy)
        zaznam << z.titulek + " | " + z.text;
    const QString vlozte = obnova ? "Vložte disketu s konfiguračním souborem do disketové "
                                    "mechaniky.Potom stiskněte tlačítko OK."
                                  : "Vložte disketu do disketové mechaniky.Potom stiskněte "
                                    "tlačítko OK.";
    const QString konec = !uspech  ? "Tarvik - chyba | Při kopírování konfiguračního "
                                     "souboru nastala chyba. Zkontrolujte disketu a "
                                     "postup opakujte."
                          : obnova ? "Tarvik - info | Soubor byl úspěšně zkopírován.  "
                                   : "Tarvik - info | Soubor byl úspěšně zkopírován.";
    QCOMPARE(zaznam, (QStringList{"Tarvik - info | " + vlozte, konec}));
    if (obnova || pripad != "without file")
        QCOMPARE(slozka.read("tarvik.ini"), obnova && uspech ? na_diskete : ini);
    if (!obnova)
        QCOMPARE(slozka.read(zaloha), uspech ? ini : zaloha_pred);
    QCOMPARE(slozka.read("tajne"), tajne);
    QCOMPARE(QFileInfo(zaloha).isSymLink(), pripad == "link");
    QVERIFY(soubory(slozka.file("prazdna")).isEmpty());
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], zapisuj_prikaz) == 0)
        return zapisuj_dokola(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    tst_config testy;
    return QTest::qExec(&testy, argc, argv);
}

#include "tst_config.moc"

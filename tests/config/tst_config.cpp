#include "config/backup.h"
#include "config/codepage.h"
#include "config/config_file.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <cstdio>

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

private slots:
    void code_page_round_trips();
    void default_file_is_exact();
    void reads_data();
    void reads();
    void writes_change_only_their_value_data();
    void writes_change_only_their_value();
    void failed_write_leaves_the_file();
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
    test::temp_folder slozka;
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
    test::temp_folder slozka;
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
    test::temp_folder slozka;
    slozka.write("tarvik.ini", rucne);
    QVERIFY(zapis_hodnotu(slozka.ini(), sekce, klic, hodnota));
    QCOMPARE(slozka.read("tarvik.ini"), po);
}

// A name of 250 characters fits, but the temporary name beside it does not; a file of 32 MB is no
// configuration file and is never loaded whole.
void tst_config::failed_write_leaves_the_file() {
    test::temp_folder slozka;
    for (const auto& [jmeno, obsah] :
         {std::pair{QString(250, 'n'), vychozi_konfigurace()},
          std::pair{QString("tarvik.ini"), QByteArray(32 << 20, ';')}}) {
        slozka.write(jmeno, obsah);
        QVERIFY(!zapis_hodnotu(slozka.file(jmeno), u"system", u"com", "2"));
        QCOMPARE(slozka.read(jmeno), obsah);
    }
    QCOMPARE(soubory(slozka.path()).size(), 2);
}

void tst_config::writes_keep_permissions_and_share_new_files() {
    test::temp_folder slozka;
    const auto skupina = QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    const auto vlastnik = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile::setPermissions(slozka.path(),
                          QFile::permissions(slozka.path()) | skupina | QFileDevice::ExeGroup);
    QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
    QVERIFY((QFile::permissions(slozka.ini()) & skupina) == skupina);

    QFile::setPermissions(slozka.ini(), vlastnik);
    QVERIFY(zapis_hodnotu(slozka.ini(), u"system", u"com", "2"));
    QCOMPARE(QFile::permissions(slozka.ini()) & (skupina | vlastnik), vlastnik);
}

void tst_config::killed_writer_never_leaves_a_damaged_file() {
    test::temp_folder slozka;
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
    QTest::addColumn<QString>("chybi");
    for (const bool obnova : {false, true})
        for (const char* chybi : {"", "diskette", "file"})
            QTest::addRow("%s%s%s", obnova ? "restore" : "backup", *chybi ? " without " : "", chybi)
                << obnova << QString(chybi);
}

// The diskette drive is the folder dosdevices/a:; without a medium its entry points nowhere.
void tst_config::backup_and_restore() {
    QFETCH(bool, obnova);
    QFETCH(QString, chybi);
    test::temp_folder slozka;
    test::message_recorder zpravy;
    const QString mechanika = slozka.file("dosdevices/a:"), zaloha = "dosdevices/a:/tarvik.ini";
    const QByteArray ini = vychozi_konfigurace(), na_diskete = bajty("[system]\ncom=2\n\x00\xFF\n");
    QVERIFY(QDir().mkpath(mechanika));
    slozka.write("tarvik.ini", ini);
    slozka.write(zaloha, na_diskete); // an older backup, or the one to restore
    if (chybi == "diskette")
        QVERIFY(QDir(mechanika).removeRecursively() &&
                QFile::link(slozka.file("nikde"), mechanika));
    if (chybi == "file")
        QVERIFY(QFile::remove(slozka.file(obnova ? zaloha : "tarvik.ini")));

    obnova ? obnov_konfiguraci(nullptr, slozka.ini()) : zalohuj_konfiguraci(nullptr, slozka.ini());
    QStringList zaznam;
    for (const zprava& z : zpravy.zpravy)
        zaznam << z.titulek + " | " + z.text;
    const QString vlozte = obnova ? "Vložte disketu s konfiguračním souborem do disketové "
                                    "mechaniky.Potom stiskněte tlačítko OK."
                                  : "Vložte disketu do disketové mechaniky.Potom stiskněte "
                                    "tlačítko OK.";
    const QString konec = !chybi.isEmpty() ? "Tarvik - chyba | Při kopírování konfiguračního "
                                             "souboru nastala chyba. Zkontrolujte disketu a "
                                             "postup opakujte."
                          : obnova ? "Tarvik - info | Soubor byl úspěšně zkopírován.  "
                                   : "Tarvik - info | Soubor byl úspěšně zkopírován.";
    QCOMPARE(zaznam, (QStringList{"Tarvik - info | " + vlozte, konec}));
    if (obnova)
        QCOMPARE(slozka.read("tarvik.ini"), chybi.isEmpty() ? na_diskete : ini);
    else if (chybi != "diskette")
        QCOMPARE(slozka.read(zaloha), chybi.isEmpty() ? ini : na_diskete);
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], zapisuj_prikaz) == 0)
        return zapisuj_dokola(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    tst_config testy;
    return QTest::qExec(&testy, argc, argv);
}

#include "tst_config.moc"

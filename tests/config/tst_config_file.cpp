#include "config/config_file.h"
#include "support/temp_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <cstdio>

using namespace tarvik;

namespace {

// The default file as it has always been written, spelled out with the code page's bytes.
QByteArray ocekavany_vychozi_soubor() {
    QByteArray e = "[system]\r\n"
                   "heslo=1596403827\r\n"
                   "com=1\r\n"
                   "\r\n"
                   "[zalozky]\r\n";
    for (const char* n : {"1", "2", "3", "4", "5"})
        e += QByteArray("nazev") + n + "=z\xE1lo\x9Eka " + n + "\r\n";
    for (const char* n : {"1", "2", "3", "4", "5"})
        e += QByteArray("aktivni") + n + "=1\r\n";
    e += "\r\n[stykace]\r\n";
    for (int n = 0; n < 128; ++n)
        e += "stykac" + QByteArray::number(n) + "=styka\xE8 " + QByteArray::number(n) + "\r\n";
    e += "\r\n[chlivky]\r\n";
    for (int n = 0; n < 320; ++n)
        e += "chlivek" + QByteArray::number(n) + "=" + QByteArray::number(n < 128 ? n : 0) + "\r\n";
    e += "\r\n";
    return e;
}

// Bytes of a literal that may hold NUL bytes.
template <std::size_t N> QByteArray bajty(const char (&s)[N]) {
    return QByteArray(s, N - 1);
}

QStringList soubory_ve_slozce(const QString& slozka) {
    return QDir(slozka).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Helper mode of this executable: writes to the file at `cesta` without end, so that the test
// can kill it at any moment of a write.
constexpr char zapisuj_prikaz[] = "--zapisuj-dokola";
const QString kratka_hodnota = QStringLiteral("a");
const QString dlouha_hodnota = QStringLiteral("bbbbbbbbbbbbbbbbbbbb");

int zapisuj_dokola(const QString& cesta) {
    for (quint64 i = 0;; ++i) {
        if (!zapis_hodnotu(cesta, u"stykace", u"stykac5", i % 2 ? dlouha_hodnota : kratka_hodnota))
            return 1;
        if (i == 0) {
            std::fputs("zapisuji\n", stdout);
            std::fflush(stdout);
        }
    }
}

} // namespace

class tst_config_file : public QObject {
    Q_OBJECT

private slots:
    void default_file_is_exact();
    void default_file_reads_back_data();
    void default_file_reads_back();
    void reads_data();
    void reads();
    void reads_missing_or_odd_files();
    void writes_keep_every_other_byte();
    void writes_czech_text_in_the_code_page();
    void write_creates_missing_file();
    void write_keeps_permissions();
    void failed_write_leaves_file_unchanged_data();
    void failed_write_leaves_file_unchanged();
    void oversized_file_is_left_alone();
    void killed_writer_never_leaves_a_damaged_file();
    void creates_default_file();
    void failed_default_file_leaves_nothing();
    void existence_means_an_ordinary_file();
};

void tst_config_file::default_file_is_exact() {
    const QByteArray soubor = vychozi_konfigurace();
    QCOMPARE(soubor, ocekavany_vychozi_soubor());
    QCOMPARE(soubor.count("\r\n"), 468);
    QCOMPARE(soubor.count('\n'), 468);
    QVERIFY(soubor.endsWith("chlivek319=0\r\n\r\n"));
}

void tst_config_file::default_file_reads_back_data() {
    QTest::addColumn<QString>("sekce");
    QTest::addColumn<QString>("klic");
    QTest::addColumn<int>("kapacita");
    QTest::addColumn<QString>("hodnota");
    QTest::newRow("heslo") << "system"
                           << "heslo" << kapacita::heslo << "1596403827";
    QTest::newRow("com") << "system"
                         << "com" << kapacita::com << "1";
    QTest::newRow("nazev3") << "zalozky"
                            << "nazev3" << kapacita::nazev << "záložka 3";
    QTest::newRow("aktivni5") << "zalozky"
                              << "aktivni5" << kapacita::aktivni << "1";
    QTest::newRow("stykac0") << "stykace"
                             << "stykac0" << kapacita::stykac << "stykač 0";
    QTest::newRow("stykac127") << "stykace"
                               << "stykac127" << kapacita::stykac << "stykač 127";
    QTest::newRow("chlivek127") << "chlivky"
                                << "chlivek127" << kapacita::chlivek << "127";
    QTest::newRow("chlivek128") << "chlivky"
                                << "chlivek128" << kapacita::chlivek << "0";
    QTest::newRow("chlivek319") << "chlivky"
                                << "chlivek319" << kapacita::chlivek << "0";
}

void tst_config_file::default_file_reads_back() {
    QFETCH(QString, sekce);
    QFETCH(QString, klic);
    QFETCH(int, kapacita);
    QFETCH(QString, hodnota);
    test::temp_folder slozka;
    slozka.write("tarvik.ini", vychozi_konfigurace());
    QCOMPARE(cti_hodnotu(slozka.ini(), sekce, klic, "?", kapacita), hodnota);
}

void tst_config_file::reads_data() {
    QTest::addColumn<QByteArray>("soubor");
    QTest::addColumn<QString>("sekce");
    QTest::addColumn<QString>("klic");
    QTest::addColumn<QString>("vychozi");
    QTest::addColumn<int>("kapacita");
    QTest::addColumn<QString>("hodnota");

    const QString s25 = QStringLiteral("abcdefghijklmnopqrstuvwxy");
    QTest::newRow("name of 25 characters reads as 20")
        << "[stykace]\r\nstykac1=" + s25.toLatin1() + "\r\n"
        << "stykace"
        << "stykac1"
        << "---" << kapacita::stykac << s25.left(20);
    QTest::newRow("caption of 15 characters reads as 11")
        << QByteArray("[zalozky]\r\nnazev1=z\xE1lo\x9Eka 123456\r\n") << "zalozky"
        << "nazev1"
        << "---" << kapacita::nazev << "záložka 123";
    QTest::newRow("com=12 reads as 1") << QByteArray("[system]\r\ncom=12\r\n") << "system"
                                       << "com"
                                       << "1" << kapacita::com << "1";
    QTest::newRow("empty value is empty, not the default")
        << QByteArray("[zalozky]\r\naktivni2=\r\n") << "zalozky"
        << "aktivni2"
        << "0" << kapacita::aktivni << "";
    QTest::newRow("blank value is empty")
        << QByteArray("[zalozky]\r\naktivni2=  \t \r\n") << "zalozky"
        << "aktivni2"
        << "0" << kapacita::aktivni << "";
    QTest::newRow("missing key reads the default")
        << QByteArray("[zalozky]\r\naktivni1=1\r\n") << "zalozky"
        << "aktivni2"
        << "0" << kapacita::aktivni << "0";
    QTest::newRow("missing section reads the default")
        << QByteArray("[system]\r\ncom=1\r\n") << "stykace"
        << "stykac3"
        << "---" << kapacita::stykac << "---";
    QTest::newRow("unassigned marker") << QByteArray("[chlivky]\r\nchlivek5=---\r\n") << "chlivky"
                                       << "chlivek5"
                                       << "0" << kapacita::chlivek << "---";
    QTest::newRow("default is cut to the capacity too") << QByteArray() << "system"
                                                        << "com"
                                                        << "123" << kapacita::com << "1";
    QTest::newRow("capacity of one reads empty") << QByteArray("[s]\r\nk=abc\r\n") << "s"
                                                 << "k"
                                                 << "x" << 1 << "";
    QTest::newRow("names in another case") << QByteArray("[SyStEm]\r\nCOM=3\r\n") << "system"
                                           << "com"
                                           << "1" << kapacita::com << "3";
    QTest::newRow("blanks around names and value")
        << QByteArray("  [ system ]  \r\n\t com \t=\t 3 \t\r\n") << "system"
        << "com"
        << "1" << kapacita::com << "3";
    QTest::newRow("blanks inside the value stay")
        << QByteArray("[stykace]\r\nstykac1=  a  b  \r\n") << "stykace"
        << "stykac1"
        << "---" << kapacita::stykac << "a  b";
    QTest::newRow("comment lines are ignored")
        << QByteArray("[system]\r\n;com=5\r\n  ; com=6\r\ncom=7\r\n") << "system"
        << "com"
        << "1" << kapacita::com << "7";
    QTest::newRow("commented section is no section")
        << QByteArray(";[system]\r\ncom=5\r\n") << "system"
        << "com"
        << "1" << kapacita::com << "1";
    QTest::newRow("quotes and semicolons belong to the value")
        << QByteArray("[stykace]\r\nstykac1=\"hlavn\xED\" ; pozor\r\n") << "stykace"
        << "stykac1"
        << "---" << kapacita::stykac << "\"hlavní\" ; pozor";
    QTest::newRow("LF-only lines")
        << QByteArray("[system]\ncom=2\n[zalozky]\nnazev1=a\n") << "zalozky"
        << "nazev1"
        << "---" << kapacita::nazev << "a";
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[system]\r\ncom=4\r\n") << "system"
                                     << "com"
                                     << "1" << kapacita::com << "4";
    QTest::newRow("first of duplicate keys")
        << QByteArray("[system]\r\ncom=2\r\ncom=3\r\n") << "system"
        << "com"
        << "1" << kapacita::com << "2";
    QTest::newRow("only the first of duplicate sections")
        << QByteArray("[system]\r\nheslo=5\r\n[system]\r\ncom=3\r\n") << "system"
        << "com"
        << "1" << kapacita::com << "1";
    QTest::newRow("key before any section belongs to none")
        << QByteArray("com=3\r\n[system]\r\n") << "system"
        << "com"
        << "1" << kapacita::com << "1";
    QTest::newRow("binary junk around the key")
        << bajty("\x00\xFF\x01garbage\x00\r\n[system]\r\n\x7F\x80\x00=\x00\r\ncom=2\r\n\xFF")
        << "system"
        << "com"
        << "1" << kapacita::com << "2";
    QTest::newRow("line of 1 MB before the key")
        << "[stykace]\r\n" + QByteArray(1024 * 1024, 'x') + "\r\nstykac2=b\r\n"
        << "stykace"
        << "stykac2"
        << "---" << kapacita::stykac << "b";
    QTest::newRow("value of 1 MB")
        << "[stykace]\r\nstykac2=" + QByteArray(1024 * 1024, 'y') << "stykace"
        << "stykac2"
        << "---" << kapacita::stykac << QString(20, 'y');
    QTest::newRow("file without line breaks") << QByteArray(1024 * 1024, '[') << "system"
                                              << "com"
                                              << "1" << kapacita::com << "1";
}

void tst_config_file::reads() {
    QFETCH(QByteArray, soubor);
    QFETCH(QString, sekce);
    QFETCH(QString, klic);
    QFETCH(QString, vychozi);
    QFETCH(int, kapacita);
    QFETCH(QString, hodnota);
    test::temp_folder slozka;
    slozka.write("tarvik.ini", soubor);
    QCOMPARE(cti_hodnotu(slozka.ini(), sekce, klic, vychozi, kapacita), hodnota);
}

void tst_config_file::reads_missing_or_odd_files() {
    test::temp_folder slozka;
    QCOMPARE(cti_hodnotu(slozka.ini(), u"system", u"com", "1", kapacita::com), "1");
    QVERIFY(QDir(slozka.path()).mkdir("tarvik.ini"));
    QCOMPARE(cti_hodnotu(slozka.ini(), u"stykace", u"stykac0", "---", kapacita::stykac), "---");
    QCOMPARE(cti_hodnotu(slozka.path() + "/neni/tarvik.ini", u"system", u"com", "1", kapacita::com),
             "1");
}

void tst_config_file::writes_keep_every_other_byte() {
    test::temp_folder slozka;
    const QByteArray rucne = bajty("; upraveno rucne\n"
                                   "[System]\n"
                                   "  heslo = 42 \n"
                                   "COM=2\n"
                                   "\n"
                                   "[neznama]\r\n"
                                   "x=\x00\xFF\r\n"
                                   "[stykace]\n"
                                   "stykac0 =  styka\xE8 0\n"
                                   "; konec\n");
    slozka.write("tarvik.ini", rucne);

    QVERIFY(zapis_hodnotu(slozka.ini(), u"system", u"com", "3"));
    QVERIFY(zapis_hodnotu(slozka.ini(), u"stykace", u"stykac1", "nový"));
    QVERIFY(zapis_hodnotu(slozka.ini(), u"chlivky", u"chlivek5", "---"));

    QByteArray ocekavany = rucne;
    ocekavany.replace("COM=2\n", "COM=3\n");
    ocekavany.replace("stykac0 =  styka\xE8 0\n", "stykac0 =  styka\xE8 0\nstykac1=nov\xFD\n");
    ocekavany += "[chlivky]\nchlivek5=---\n";
    QCOMPARE(slozka.read("tarvik.ini"), ocekavany);
    QCOMPARE(soubory_ve_slozce(slozka.path()), QStringList{"tarvik.ini"});
}

void tst_config_file::writes_czech_text_in_the_code_page() {
    test::temp_folder slozka;
    slozka.write("tarvik.ini", vychozi_konfigurace());
    QVERIFY(zapis_hodnotu(slozka.ini(), u"stykace", u"stykac7", "čerpadlo Ř ž €"));
    QVERIFY(zapis_hodnotu(slozka.ini(), u"zalozky", u"nazev2", "Жaž"));
    QByteArray ocekavany = vychozi_konfigurace();
    ocekavany.replace("stykac7=styka\xE8 7\r\n", "stykac7=\xE8\x65rpadlo \xD8 \x9E \x80\r\n");
    ocekavany.replace("nazev2=z\xE1lo\x9Eka 2\r\n", "nazev2=?a\x9E\r\n");
    QCOMPARE(slozka.read("tarvik.ini"), ocekavany);
    QCOMPARE(cti_hodnotu(slozka.ini(), u"stykace", u"stykac7", "---", kapacita::stykac),
             "čerpadlo Ř ž €");
}

void tst_config_file::write_creates_missing_file() {
    test::temp_folder slozka;
    QVERIFY(zapis_hodnotu(slozka.ini(), u"stykace", u"stykac3", "x"));
    QCOMPARE(slozka.read("tarvik.ini"), QByteArray("[stykace]\r\nstykac3=x\r\n"));
}

void tst_config_file::write_keeps_permissions() {
    test::temp_folder slozka;
    slozka.write("tarvik.ini", vychozi_konfigurace());
    const auto prava = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(slozka.ini(), prava));
    QVERIFY(zapis_hodnotu(slozka.ini(), u"system", u"com", "2"));
    QCOMPARE(QFile::permissions(slozka.ini()) & ~(QFile::ReadUser | QFile::WriteUser), prava);
    QCOMPARE(cti_hodnotu(slozka.ini(), u"system", u"com", "1", kapacita::com), "2");
}

void tst_config_file::failed_write_leaves_file_unchanged_data() {
    QTest::addColumn<QString>("jak");
    QTest::newRow("read-only folder") << "read-only folder";
    QTest::newRow("no room for a temporary name") << "long name";
    QTest::newRow("unreadable file") << "unreadable file";
}

void tst_config_file::failed_write_leaves_file_unchanged() {
    QFETCH(QString, jak);
    test::temp_folder slozka;
    QString cesta = slozka.ini();
    if (jak == "long name") // the file's own name fits, the temporary name beside it does not
        cesta = slozka.file(QString(250, 'n'));
    const QByteArray puvodni = vychozi_konfigurace();
    {
        QFile f(cesta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(puvodni);
    }
    const auto prava_slozky = QFile::permissions(slozka.path());
    if (jak == "read-only folder")
        QVERIFY(QFile::setPermissions(slozka.path(), QFile::ReadOwner | QFile::ExeOwner));
    if (jak == "unreadable file")
        QVERIFY(QFile::setPermissions(cesta, QFile::WriteOwner));
    const auto obnov = qScopeGuard([&] {
        QFile::setPermissions(slozka.path(), prava_slozky);
        QFile::setPermissions(cesta, QFile::ReadOwner | QFile::WriteOwner);
    });

    if (jak != "long name") {
        QFile zkouska(slozka.file("zkouska"));
        QFile citany(cesta);
        if ((jak == "read-only folder" && zkouska.open(QIODevice::WriteOnly)) ||
            (jak == "unreadable file" && citany.open(QIODevice::ReadOnly))) {
            zkouska.remove();
            QSKIP("file permissions do not bind this user (root)");
        }
    }

    QVERIFY(!zapis_hodnotu(cesta, u"system", u"com", "2"));
    QFile::setPermissions(cesta, QFile::ReadOwner | QFile::WriteOwner);
    QFile f(cesta);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), puvodni);
    QCOMPARE(soubory_ve_slozce(slozka.path()).size(), 1);
}

// Something of many megabytes is not a configuration file: it reads as missing and a write
// refuses to replace it rather than load it whole.
void tst_config_file::oversized_file_is_left_alone() {
    test::temp_folder slozka;
    const QByteArray obrovsky = "[system]\r\ncom=3\r\n" + QByteArray(32 * 1024 * 1024, ';');
    slozka.write("tarvik.ini", obrovsky);
    QCOMPARE(cti_hodnotu(slozka.ini(), u"system", u"com", "1", kapacita::com), "1");
    QVERIFY(!zapis_hodnotu(slozka.ini(), u"system", u"com", "2"));
    QCOMPARE(slozka.read("tarvik.ini"), obrovsky);
}

void tst_config_file::killed_writer_never_leaves_a_damaged_file() {
    test::temp_folder slozka;
    const QByteArray puvodni = vychozi_konfigurace();
    slozka.write("tarvik.ini", puvodni);
    const QByteArray s_kratkou =
        QByteArray(puvodni).replace("stykac5=styka\xE8 5\r\n", "stykac5=a\r\n");
    const QByteArray s_dlouhou =
        QByteArray(puvodni).replace("stykac5=styka\xE8 5\r\n", "stykac5=bbbbbbbbbbbbbbbbbbbb\r\n");

    for (int pokus = 0; pokus < 20; ++pokus) {
        QProcess pisar;
        pisar.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(zapisuj_prikaz), slozka.ini()});
        QVERIFY(pisar.waitForStarted());
        QVERIFY2(pisar.waitForReadyRead(60'000), "the writer never wrote");
        QThread::usleep(QRandomGenerator::global()->bounded(20'000));
        pisar.kill();
        QVERIFY(pisar.waitForFinished());
        QCOMPARE(pisar.exitStatus(), QProcess::CrashExit);

        const QByteArray po = slozka.read("tarvik.ini");
        QVERIFY2(po == s_kratkou || po == s_dlouhou,
                 qPrintable(
                     QStringLiteral("damaged after kill %1: %2 bytes").arg(pokus).arg(po.size())));
    }
}

void tst_config_file::creates_default_file() {
    test::temp_folder slozka;
    slozka.write("tarvik.ini", "stary obsah");
    QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
    QCOMPARE(slozka.read("tarvik.ini"), ocekavany_vychozi_soubor());
    QCOMPARE(soubory_ve_slozce(slozka.path()), QStringList{"tarvik.ini"});
}

void tst_config_file::failed_default_file_leaves_nothing() {
    test::temp_folder slozka;
    QVERIFY(QDir(slozka.path()).mkdir("tarvik.ini"));
    QVERIFY(!vytvor_konfiguracni_soubor(slozka.ini()));
    QVERIFY(QFileInfo(slozka.ini()).isDir());
    QCOMPARE(soubory_ve_slozce(slozka.path()), QStringList{"tarvik.ini"});

    slozka.write("soubor", "x");
    QVERIFY(!vytvor_konfiguracni_soubor(slozka.file("soubor/tarvik.ini")));
    QCOMPARE(slozka.read("soubor"), QByteArray("x"));
}

void tst_config_file::existence_means_an_ordinary_file() {
    test::temp_folder slozka;
    QVERIFY(!konfigurace_existuje(slozka.ini()));
    QVERIFY(QDir(slozka.path()).mkdir("tarvik.ini"));
    QVERIFY(!konfigurace_existuje(slozka.ini()));
    QVERIFY(QDir(slozka.path()).rmdir("tarvik.ini"));
    slozka.write("tarvik.ini", "");
    QVERIFY(konfigurace_existuje(slozka.ini()));
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], zapisuj_prikaz) == 0)
        return zapisuj_dokola(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    tst_config_file testy;
    return QTest::qExec(&testy, argc, argv);
}

#include "tst_config_file.moc"

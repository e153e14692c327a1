#include "config/backup.h"
#include "config/config_file.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace tarvik {
bool operator==(const zprava& a, const zprava& b) {
    return a.text == b.text && a.titulek == b.titulek && a.ikona == b.ikona &&
           a.tlacitka == b.tlacitka;
}
char* toString(const zprava& z) {
    return QTest::toString(
        QStringLiteral("%1 | %2 | icon %3").arg(z.titulek, z.text).arg(int(z.ikona)));
}
} // namespace tarvik

using namespace tarvik;

namespace {

const zprava vlozte_disketu{zprava_vlozte_disketu, titulek_info, ikona_zpravy::zadna,
                            tlacitka_zpravy::ok};
const zprava vlozte_disketu_s_konfiguraci{zprava_vlozte_disketu_s_konfiguraci, titulek_info,
                                          ikona_zpravy::zadna, tlacitka_zpravy::ok};
const zprava zaloha_zkopirovana{zprava_zaloha_zkopirovana, titulek_info, ikona_zpravy::zadna,
                                tlacitka_zpravy::ok};
const zprava obnova_zkopirovana{zprava_obnova_zkopirovana, titulek_info, ikona_zpravy::zadna,
                                tlacitka_zpravy::ok};
const zprava chyba_kopirovani{zprava_chyba_kopirovani, titulek_chyba, ikona_zpravy::kriticka,
                              tlacitka_zpravy::ok};

const QByteArray konfigurace = vychozi_konfigurace();
const QByteArray jina_konfigurace =
    QByteArray(konfigurace).replace("stykac0=styka\xE8 0", "stykac0=hlavn\xED ventil");

// A program folder whose diskette drive is the folder dosdevices/a:.
struct slozka_s_disketou {
    test::temp_folder slozka;
    test::message_recorder zpravy;
    QString disketa = slozka.file("dosdevices/a:");
    QString zaloha = disketa + "/tarvik.ini";

    slozka_s_disketou() { QDir(slozka.path()).mkpath("dosdevices/a:"); }
    QByteArray precti(const QString& cesta) const {
        QFile f(cesta);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    void zapis(const QString& cesta, const QByteArray& obsah) const {
        QFile f(cesta);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(obsah);
    }
    // No medium: the drive's entry points nowhere.
    void vyjmi_disketu() const {
        QVERIFY(QDir(disketa).removeRecursively());
        QVERIFY(QFile::link(slozka.file("nikde"), disketa));
    }
};

} // namespace

class tst_backup : public QObject {
    Q_OBJECT

private slots:
    void messages_are_exact();
    void backup_copies_and_overwrites();
    void backup_errors_keep_the_older_copy_data();
    void backup_errors_keep_the_older_copy();
    void restore_copies_byte_for_byte();
    void restore_errors_keep_the_configuration_data();
    void restore_errors_keep_the_configuration();
};

void tst_backup::messages_are_exact() {
    QCOMPARE(zprava_vlozte_disketu,
             QStringLiteral("Vložte disketu do disketové mechaniky.Potom stiskněte tlačítko OK."));
    QCOMPARE(zprava_vlozte_disketu_s_konfiguraci,
             QStringLiteral("Vložte disketu s konfiguračním souborem do disketové mechaniky.Potom "
                            "stiskněte tlačítko OK."));
    QCOMPARE(zprava_zaloha_zkopirovana, QStringLiteral("Soubor byl úspěšně zkopírován."));
    QCOMPARE(zprava_obnova_zkopirovana, QStringLiteral("Soubor byl úspěšně zkopírován.  "));
    QCOMPARE(zprava_chyba_kopirovani, QStringLiteral("Při kopírování konfiguračního souboru "
                                                     "nastala chyba. Zkontrolujte disketu a "
                                                     "postup opakujte."));
}

void tst_backup::backup_copies_and_overwrites() {
    slozka_s_disketou s;
    s.slozka.write("tarvik.ini", konfigurace);
    menu_save_Click(nullptr, s.slozka.ini());
    QCOMPARE(s.zpravy.zpravy, (QList<zprava>{vlozte_disketu, zaloha_zkopirovana}));
    QCOMPARE(s.precti(s.zaloha), konfigurace);

    s.zpravy.vymaz();
    s.slozka.write("tarvik.ini", jina_konfigurace);
    menu_save_Click(nullptr, s.slozka.ini());
    QCOMPARE(s.zpravy.zpravy, (QList<zprava>{vlozte_disketu, zaloha_zkopirovana}));
    QCOMPARE(s.precti(s.zaloha), jina_konfigurace);
    QCOMPARE(s.precti(s.slozka.ini()), jina_konfigurace);
    QCOMPARE(QDir(s.disketa).entryList(QDir::Files | QDir::Hidden), QStringList{"tarvik.ini"});
}

void tst_backup::backup_errors_keep_the_older_copy_data() {
    QTest::addColumn<QString>("pripad");
    QTest::newRow("no diskette") << "no diskette";
    QTest::newRow("no configuration file") << "no configuration file";
    QTest::newRow("configuration is a folder") << "configuration is a folder";
}

void tst_backup::backup_errors_keep_the_older_copy() {
    QFETCH(QString, pripad);
    slozka_s_disketou s;
    s.zapis(s.zaloha, konfigurace);
    s.slozka.write("tarvik.ini", jina_konfigurace);
    if (pripad == "no diskette")
        s.vyjmi_disketu();
    if (pripad == "no configuration file")
        QVERIFY(QFile::remove(s.slozka.ini()));
    if (pripad == "configuration is a folder") {
        QVERIFY(QFile::remove(s.slozka.ini()));
        QVERIFY(QDir(s.slozka.path()).mkdir("tarvik.ini"));
    }

    menu_save_Click(nullptr, s.slozka.ini());
    QCOMPARE(s.zpravy.zpravy, (QList<zprava>{vlozte_disketu, chyba_kopirovani}));
    if (pripad != "no diskette") {
        QCOMPARE(s.precti(s.zaloha), konfigurace);
        QCOMPARE(QDir(s.disketa).entryList(QDir::Files | QDir::Hidden), QStringList{"tarvik.ini"});
    }
}

void tst_backup::restore_copies_byte_for_byte() {
    slozka_s_disketou s;
    const QByteArray lf_a_smeti("[system]\ncom=2\n\x00\xFF\n", 19);
    s.zapis(s.zaloha, lf_a_smeti);
    s.slozka.write("tarvik.ini", konfigurace);
    menu_load_Click(nullptr, s.slozka.ini());
    QCOMPARE(s.zpravy.zpravy, (QList<zprava>{vlozte_disketu_s_konfiguraci, obnova_zkopirovana}));
    QCOMPARE(s.precti(s.slozka.ini()), lf_a_smeti);
    QCOMPARE(s.precti(s.zaloha), lf_a_smeti);
    QCOMPARE(cti_hodnotu(s.slozka.ini(), u"system", u"com", "1", kapacita::com), "2");

    s.zpravy.vymaz();
    QVERIFY(QFile::remove(s.slozka.ini()));
    menu_load_Click(nullptr, s.slozka.ini());
    QCOMPARE(s.zpravy.zpravy, (QList<zprava>{vlozte_disketu_s_konfiguraci, obnova_zkopirovana}));
    QCOMPARE(s.precti(s.slozka.ini()), lf_a_smeti);
}

void tst_backup::restore_errors_keep_the_configuration_data() {
    QTest::addColumn<QString>("pripad");
    QTest::newRow("no diskette") << "no diskette";
    QTest::newRow("no backup on the diskette") << "no backup on the diskette";
    QTest::newRow("backup is a folder") << "backup is a folder";
}

void tst_backup::restore_errors_keep_the_configuration() {
    QFETCH(QString, pripad);
    slozka_s_disketou s;
    s.slozka.write("tarvik.ini", konfigurace);
    if (pripad == "no diskette")
        s.vyjmi_disketu();
    if (pripad == "backup is a folder")
        QVERIFY(QDir(s.disketa).mkdir("tarvik.ini"));

    menu_load_Click(nullptr, s.slozka.ini());
    QCOMPARE(s.zpravy.zpravy, (QList<zprava>{vlozte_disketu_s_konfiguraci, chyba_kopirovani}));
    QCOMPARE(s.precti(s.slozka.ini()), konfigurace);
    QCOMPARE(QDir(s.slozka.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"tarvik.ini"});
}

QTEST_GUILESS_MAIN(tst_backup)
#include "tst_backup.moc"

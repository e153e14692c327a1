#include "print/printout.h"

#include "config/config_file.h"
#include "link/packet_protocol.h"
#include "platform/clock.h"
#include "platform/devices.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/print_dialog.h"
#include "platform/program_folder.h"
#include "print/print_surface.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace tarvik {

namespace {

const QString titulek_tisku = QStringLiteral("Seznam a popis jednotlivých stykačů");
const QString pismo_titulku = QStringLiteral("Times New Roman CE");
const QString pismo_tabulky = QStringLiteral("Arial CE");
constexpr qreal velikost_titulku = 18;
constexpr qreal velikost_tabulky = 9;
constexpr int prazdnych_radku = 3;

bool prazdne_radky(tiskova_plocha& plocha) {
    for (int i = 0; i < prazdnych_radku; ++i)
        if (!plocha.tiskni_radek({}))
            return false;
    return true;
}

// The canonical form of a file or folder that may not exist yet (empty when its folder does not).
QString skutecna_cesta(const QString& cesta) {
    if (cesta.isEmpty())
        return {};
    const QFileInfo info(cesta);
    if (info.exists())
        return info.canonicalFilePath();
    const QString slozka = QFileInfo(info.path()).canonicalFilePath();
    return slozka.isEmpty() ? QString() : slozka + QLatin1Char('/') + info.fileName();
}

// The file a write to `cesta` would reach, or empty when that is not an ordinary file (a folder,
// a device, a FIFO, a link that leads nowhere) or its folder does not exist. The folder is
// resolved by the system, so "odkaz/.." means what it means to a write.
QString skutecny_soubor(const QString& cesta) {
    const QFileInfo info(cesta);
    if (info.exists() ? !info.isFile() : info.isSymLink() || info.fileName().isEmpty())
        return {};
    return skutecna_cesta(cesta);
}

} // namespace

bool tiskni_stykace(tiskova_plocha& plocha, const QString& cesta_ini) {
    plocha.nastav_pismo(pismo_titulku);
    plocha.nastav_velikost(velikost_titulku);
    plocha.nastav_tucne(true);
    // The title line stays open and is ended in the table font.
    if (!plocha.tiskni_radek({{15, titulek_tisku}}, konec_radku::nechat_otevreny))
        return false;

    plocha.nastav_pismo(pismo_tabulky);
    plocha.nastav_velikost(velikost_tabulky);
    plocha.nastav_tucne(true);
    plocha.nastav_kurzivu(false);
    if (!plocha.tiskni_radek({}) || !prazdne_radky(plocha))
        return false;

    const cteni_konfigurace konfigurace(cesta_ini);
    constexpr int polovina = pocet_stykacu / 2;
    for (int r = 0; r < polovina; ++r) {
        const QString levy = konfigurace.nazev_stykace(QString::number(r));
        const QString pravy = konfigurace.nazev_stykace(QString::number(r + polovina));
        if (!plocha.tiskni_radek({{10, r}, {17, levy}, {70, r + polovina}, {77, pravy}}))
            return false;
    }

    if (!prazdne_radky(plocha))
        return false;
    const QString datum = dnesni_datum().toString(u"d.M.yyyy");
    return plocha.tiskni_radek({{10, QStringLiteral("datum tisku: ") + datum}}) &&
           plocha.ukonci_dokument();
}

QString soubor_tisku_bez_tiskarny() {
    // Never a folder that other accounts share (such as /tmp), where another account's link may
    // wait at the name.
    for (const auto misto : {QStandardPaths::DocumentsLocation, QStandardPaths::HomeLocation}) {
        const QString slozka = QStandardPaths::writableLocation(misto);
        if (!slozka.isEmpty() && QDir().mkpath(slozka) && QFileInfo(slozka).isWritable())
            return slozka + QStringLiteral("/tarvik-stykace-%1.pdf")
                                .arg(dnesni_datum().toString(Qt::ISODate));
    }
    return {};
}

chranena_mista chranena_mista_tisku(const QString& cesta_ini) {
    // The configuration where the program really keeps it: the end of the administrator's link.
    const QString ini = konec_odkazu(cesta_ini);
    return {{slozka_programu(), QFileInfo(cesta_ini).absolutePath(), QFileInfo(ini).absolutePath()},
            {cesta_ini, ini, cesta_zalohy()}};
}

bool cil_tisku_povolen(const QString& soubor, const chranena_mista& chranena) {
    const QString cil = skutecny_soubor(soubor);
    if (cil.isEmpty())
        return false;
    if (const auto id = identita(cil))
        for (const QString& chraneny : chranena.soubory)
            if (identita(chraneny) == id)
                return false;
    QList<identita_souboru> slozky;
    for (const QString& slozka : chranena.slozky)
        if (const auto id = identita(slozka))
            slozky << *id;
    for (QDir slozka = QFileInfo(cil).dir();;) {
        if (const auto id = identita(slozka.path()); id && slozky.contains(*id))
            return false;
        if (slozka.isRoot() || !slozka.cdUp())
            return true;
    }
}

void menu_tisk_stykace(const QString& cesta_ini, const volba_tiskarny& vyber, QWidget* rodic) {
    QPrinter tiskarna(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        tiskarna.setOutputFormat(QPrinter::PdfFormat);
        tiskarna.setOutputFileName(soubor_tisku_bez_tiskarny());
    }
    if (!vyber || !vyber(tiskarna))
        return;

    // A file never goes into the program's folder (nor the folder the configuration really lives
    // in), nor over the configuration or its backup: an operator without the password could
    // otherwise replace them with a page of print.
    const QString soubor = tiskarna.outputFileName();
    if (!soubor.isEmpty() && !cil_tisku_povolen(soubor, chranena_mista_tisku(cesta_ini))) {
        zobraz_chybu(rodic, zprava_cil_tisku_odmitnut);
        return;
    }

    tiskova_plocha_qpainter plocha(tiskarna);
    // A document left unfinished by a failure is discarded when the surface goes.
    if (plocha.zacni() && tiskni_stykace(plocha, cesta_ini) && !soubor.isEmpty())
        zobraz_info(rodic, zprava_tisk_do_souboru.arg(QDir::toNativeSeparators(soubor)));
}

volba_tiskarny dialog_tisku(QWidget* rodic) {
    return [rodic](QPrinter& tiskarna) {
        if (const auto soubor = vyber_pdf_bez_tiskarny(tiskarna, rodic))
            return *soubor;
        QPrintDialog dialog(&tiskarna, rodic);
        // The table is one page: there is no range to choose.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        const vyber_jen_cteni jen_cteni; // its file chooser only chooses
        return dialog.exec() == QDialog::Accepted;
    };
}

void menu_tisk_stykace(QWidget* rodic, const QString& cesta_ini) {
    menu_tisk_stykace(cesta_ini, dialog_tisku(rodic), rodic);
}

} // namespace tarvik

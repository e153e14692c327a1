#include "dialogs/frm_cis_stykace.h"

#include "config/config_file.h"
#include "dialogs/frm_nazev_stykace.h"
#include "link/packet_protocol.h"
#include "platform/message_box.h"
#include "platform/twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarvik {

namespace {
constexpr int radek_prvniho_stykace = frm_cis_stykace::radek_neprirazeno + 1;
constexpr int pocet_radku = radek_prvniho_stykace + pocet_stykacu; // grid rows, header included
// Rows visible below the header; a chosen row further down is brought back into view.
constexpr int viditelne_radky = 16;

// Grid row r is row r - 1 of the table: grid row 0 is the table's header.
constexpr int radek_tabulky(int r) {
    return r - 1;
}
constexpr int radek_gridu(int r) {
    return r + 1;
}
} // namespace

frm_cis_stykace::frm_cis_stykace(
    const QString& cesta_ini, bool editace_stykacu, int vybrany_chlivek, int& posledni_radek,
    std::function<void(int chlivek, const QString& cislo, const QString& nazev)> nastav_chlivek,
    std::function<void()> inicializuj_chlivky, QWidget* rodic)
    : QDialog(rodic), cesta_ini_(cesta_ini), editace_stykacu_(editace_stykacu),
      vybrany_chlivek_(vybrany_chlivek), posledni_radek_(posledni_radek),
      nastav_chlivek_(std::move(nastav_chlivek)),
      inicializuj_chlivky_(std::move(inicializuj_chlivky)) {
    setWindowTitle(QStringLiteral("Tarvik - Číselník stykačů"));

    MSHFlexGrid1_ = new QTableWidget(radek_tabulky(pocet_radku), 2, this);
    MSHFlexGrid1_->setObjectName(QStringLiteral("MSHFlexGrid1"));
    MSHFlexGrid1_->setAccessibleName(QStringLiteral("číselník stykačů"));
    // The header row shows nothing; screen readers still get the columns' meaning.
    const QStringList sloupce{QStringLiteral("číslo stykače"), QStringLiteral("název stykače")};
    for (int s = 0; s < sloupce.size(); ++s) {
        auto* hlavicka = new QTableWidgetItem(QString());
        hlavicka->setData(Qt::AccessibleTextRole, sloupce[s]);
        MSHFlexGrid1_->setHorizontalHeaderItem(s, hlavicka);
    }
    MSHFlexGrid1_->horizontalHeader()->setSectionsClickable(false);
    MSHFlexGrid1_->horizontalHeader()->setHighlightSections(false);
    MSHFlexGrid1_->verticalHeader()->hide();
    MSHFlexGrid1_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    MSHFlexGrid1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSHFlexGrid1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSHFlexGrid1_->setSelectionMode(QAbstractItemView::SingleSelection);
    MSHFlexGrid1_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    MSHFlexGrid1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSHFlexGrid1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MSHFlexGrid1_->setTabKeyNavigation(false);
    MSHFlexGrid1_->setWordWrap(false);
    MSHFlexGrid1_->setColumnWidth(0, z_twipu(800));
    MSHFlexGrid1_->setColumnWidth(1, z_twipu(2000));
    napln();

    connect(MSHFlexGrid1_, &QTableWidget::cellDoubleClicked, this, [this](int radek, int) {
        MSHFlexGrid1_->setCurrentCell(radek, 0);
        vyber_stykac();
    });
    MSHFlexGrid1_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MSHFlexGrid1_);

    // Room for the two columns and the header with viditelne_radky rows below it.
    const int ramecek = 2 * MSHFlexGrid1_->frameWidth();
    MSHFlexGrid1_->setMinimumSize(
        MSHFlexGrid1_->horizontalHeader()->length() +
            MSHFlexGrid1_->verticalScrollBar()->sizeHint().width() + ramecek,
        MSHFlexGrid1_->horizontalHeader()->sizeHint().height() +
            viditelne_radky * MSHFlexGrid1_->verticalHeader()->defaultSectionSize() + ramecek);
    resize(minimumSizeHint());

    MSHFlexGrid1_->setCurrentCell(radek_tabulky(radek_neprirazeno), 0);
    MSHFlexGrid1_->setFocus();
}

void frm_cis_stykace::napln() {
    const auto radek = [this](int r, const QString& cislo, const QString& nazev) {
        const auto bunka = [](const QString& text) {
            auto* polozka = new QTableWidgetItem(text);
            polozka->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            return polozka;
        };
        MSHFlexGrid1_->setItem(radek_tabulky(r), 0, bunka(cislo));
        MSHFlexGrid1_->setItem(radek_tabulky(r), 1, bunka(nazev));
    };
    radek(radek_neprirazeno, neprirazeno, QStringLiteral("nepřiřazeno"));
    const cteni_konfigurace konfigurace(cesta_ini_);
    for (int k = 0; k < pocet_stykacu; ++k) {
        const QString cislo = QString::number(k);
        radek(radek_prvniho_stykace + k, cislo, konfigurace.nazev_stykace(cislo));
    }
}

void frm_cis_stykace::showEvent(QShowEvent* udalost) {
    QDialog::showEvent(udalost);
    if (posunuto_)
        return;
    posunuto_ = true;
    // Reopen at the row chosen last time when it lies beyond the first screenful, with a
    // screenful above it.
    const int radek = posledni_radek_;
    if (radek <= viditelne_radky || radek >= pocet_radku)
        return;
    MSHFlexGrid1_->setCurrentCell(radek_tabulky(radek), 0);
    MSHFlexGrid1_->doItemsLayout();
    MSHFlexGrid1_->verticalScrollBar()->setValue(radek_tabulky(radek - (viditelne_radky - 1)));
}

int frm_cis_stykace::aktualni_radek() const {
    return radek_gridu(MSHFlexGrid1_->currentRow());
}

int frm_cis_stykace::prvni_viditelny_radek() const {
    return radek_gridu(MSHFlexGrid1_->rowAt(0));
}

bool frm_cis_stykace::eventFilter(QObject* objekt, QEvent* udalost) {
    if (objekt == MSHFlexGrid1_ && udalost->type() == QEvent::KeyPress) {
        const int klavesa = static_cast<QKeyEvent*>(udalost)->key();
        if (klavesa == Qt::Key_Return || klavesa == Qt::Key_Enter) {
            vyber_stykac();
            return true;
        }
    }
    return QDialog::eventFilter(objekt, udalost);
}

void frm_cis_stykace::vyber_stykac() {
    const int radek = aktualni_radek();
    if (radek < radek_neprirazeno || radek >= pocet_radku)
        return;
    posledni_radek_ = radek;
    if (editace_stykacu_)
        prejmenuj(radek);
    else
        prirad(radek);
}

void frm_cis_stykace::prirad(int radek) {
    const QString cislo = MSHFlexGrid1_->item(radek_tabulky(radek), 0)->text();
    const QString nazev = cti_nazev_stykace(cesta_ini_, cislo);
    // The cell shows what the file holds: a change the file did not take is not shown.
    if (!zapis_stykac_chlivku(cesta_ini_, vybrany_chlivek_, cislo))
        zobraz_chybu(this, zprava_zmena_neulozena);
    else if (nastav_chlivek_)
        nastav_chlivek_(vybrany_chlivek_, cislo, nazev);
    accept();
}

void frm_cis_stykace::prejmenuj(int radek) {
    if (radek == radek_neprirazeno)
        return;
    QTableWidgetItem* nazev = MSHFlexGrid1_->item(radek_tabulky(radek), 1);
    const QString cislo = MSHFlexGrid1_->item(radek_tabulky(radek), 0)->text();
    auto* dialog = new frm_nazev_stykace(cesta_ini_, cislo, nazev->text(), this);
    connect(dialog, &frm_nazev_stykace::nazev_ulozen, this,
            [nazev](const QString& novy) { nazev->setText(novy); });
    // Modal over the catalogue; open() instead of exec() keeps no nested event loop running, and
    // the dialog goes when it is closed.
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void frm_cis_stykace::done(int vysledek) {
    // The main window shows the new names once the catalogue is gone, however it was closed.
    if (editace_stykacu_ && !zavreno_ && inicializuj_chlivky_) {
        zavreno_ = true;
        inicializuj_chlivky_();
    }
    QDialog::done(vysledek);
}

} // namespace tarvik

#include "app/menu_bar.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace tarvik {

namespace {

QMenu* menu(QMenuBar& lista, const char* jmeno, const QString& popis) {
    QMenu* m = lista.addMenu(popis);
    m->setObjectName(QLatin1String(jmeno));
    return m;
}

QAction* akce(QWidget* kam, const char* jmeno, const QString& popis) {
    QAction* a = kam->addAction(popis);
    a->setObjectName(QLatin1String(jmeno));
    return a;
}

} // namespace

menu_okna::menu_okna(QMenuBar& lista) {
    QMenu* rezim = menu(lista, "menu_rezim", QStringLiteral("&Režim"));
    menu_uzivatelsky = akce(rezim, "menu_uzivatelsky", QStringLiteral("&Uživatelský režim"));
    menu_administratorsky =
        akce(rezim, "menu_administratorsky", QStringLiteral("&Administrátorský režim"));
    rezim->addSeparator()->setObjectName(QStringLiteral("line1"));
    menu_nacti_status =
        akce(rezim, "menu_nacti_status", QStringLiteral("A&ktualizuj stav vypínačů"));

    QMenu* konfigurace = menu(lista, "menu_konfigurace", QStringLiteral("&Konfigurace"));
    menu_zalozky = akce(konfigurace, "menu_zalozky", QStringLiteral("&Záložky"));
    menu_stykace = akce(konfigurace, "menu_stykace", QStringLiteral("&Názvy stykačů"));
    menu_rs232 = akce(konfigurace, "menu_rs232", QStringLiteral("Čí&slo COMu"));
    konfigurace->addSeparator()->setObjectName(QStringLiteral("line2"));
    menu_heslo = akce(konfigurace, "menu_heslo", QStringLiteral("&Administrátorské heslo"));
    konfigurace->addSeparator()->setObjectName(QStringLiteral("line3"));
    menu_save = akce(konfigurace, "menu_save", QStringLiteral("Záloha konfigurace na disketu"));
    menu_load = akce(konfigurace, "menu_load", QStringLiteral("Obnova konfigurace z diskety"));

    QMenu* tisk = menu(lista, "menu_tisk", QStringLiteral("&Tisk"));
    menu_tisk_stykace = akce(tisk, "menu_tisk_stykace", QStringLiteral("&Tabulka stykačů"));
    menu_help = akce(&lista, "menu_help", QStringLiteral("&Help"));

    nastav_rezim(false);
}

void menu_okna::nastav_rezim(bool administrator) {
    menu_administratorsky->setEnabled(!administrator);
    for (QAction* a : {menu_uzivatelsky, menu_zalozky, menu_stykace, menu_rs232, menu_heslo,
                       menu_save, menu_load})
        a->setEnabled(administrator);
}

} // namespace tarvik

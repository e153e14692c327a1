#pragma once

#include <QString>
#include <functional>

class QMessageBox;
class QWidget;

namespace tarvik {

enum class ikona_zpravy { zadna, kriticka };
enum class tlacitka_zpravy { ok, ok_storno };
enum class odpoved_zpravy { ok, storno };

struct zprava {
    QString text = {};
    QString titulek = {};
    ikona_zpravy ikona = ikona_zpravy::zadna;
    tlacitka_zpravy tlacitka = tlacitka_zpravy::ok;
    // Fixed button texts, kept whatever language Qt's own texts are in; empty: Qt's.
    QString text_ok = {};
    QString text_storno = {};
};

inline const QString titulek_chyba = QStringLiteral("Tarvik - chyba");
inline const QString titulek_info = QStringLiteral("Tarvik - info");

// Every message box of the program goes through here: a modal box with the given text, title,
// icon and buttons, wide enough for its whole title, returning the button pressed. Closing the box
// by its frame or with Esc counts as its cancel button (OK when it has only OK).
odpoved_zpravy zobraz_zpravu(QWidget* rodic, const zprava& z);

// The box that zobraz_zpravu shows, built but not shown (tests measure it).
QMessageBox* vytvor_zpravu(QWidget* rodic, const zprava& z);

// The usual error box: critical icon, OK, "Tarvik - chyba".
void zobraz_chybu(QWidget* rodic, const QString& text);
// The usual information box: no icon, OK, "Tarvik - info".
void zobraz_info(QWidget* rodic, const QString& text);

// The system beep that precedes a line error.
void pipni();

// Tests install a responder that answers every box instead of showing it; an empty function
// restores the real boxes.
using odpovidac_zprav = std::function<odpoved_zpravy(const zprava&)>;
void nastav_odpovidac_zprav(odpovidac_zprav odpovidac);

} // namespace tarvik

#pragma once

#include <QDate>

namespace tarvik {

// Today's date as the printout shows it. Tests fix it.
QDate dnesni_datum();
void nastav_dnesni_datum(const QDate& datum); // an invalid date returns to the real clock

} // namespace tarvik

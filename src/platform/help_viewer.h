#pragma once

#include <QString>

class QWidget;

namespace tarvik {

// Opens the HTML help file in a small window of its own at its contents, and returns at once;
// the window stays open beside the program. Returns false when the file cannot be read.
//
// The manual serves both systems: what holds on one only is in elements of the class
// "jen-linux" or "jen-windows" (a div, p, li or span, not nested in one of its own kind), and the
// window leaves out the other system's. An element with the id "verze-sestaveni" shows the
// program's version (QCoreApplication::applicationVersion).
bool zobraz_napovedu(QWidget* rodic, const QString& cesta);

// The manual's HTML as the window shows it on the system named by QSysInfo::kernelType().
QString napoveda_pro_system(const QString& html, const QString& system);

// The help window currently open, if any (for tests).
QWidget* okno_napovedy();

} // namespace tarvik

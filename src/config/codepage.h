#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace tarvik {

// Windows-1250 by a fixed table, independent of the machine's locale. Characters the code page
// cannot represent become '?'.
QByteArray na_cp1250(QStringView text);
QString z_cp1250(QByteArrayView bajty);

} // namespace tarvik

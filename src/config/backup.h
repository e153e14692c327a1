#pragma once

#include <QString>

namespace tarvik {

// The copies of the configuration file at `cesta_ini` to and from the file `zaloha` on the
// medium, byte for byte. The medium is not trusted: there only an ordinary file that is no link
// is read or replaced, and no more than the configuration's size limit is read. The copy replaces
// its target only when it is complete and synced to disk, so a failure leaves the target as it
// was. Each returns whether the copy is complete.
bool zalohuj_soubor(const QString& cesta_ini, const QString& zaloha);
bool obnov_soubor(const QString& zaloha, const QString& cesta_ini);

} // namespace tarvik

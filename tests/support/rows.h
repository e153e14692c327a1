#pragma once

#include <QTest>

namespace tarvik::test {

// One row of a `_data` table: its name, then its columns in order.
template <typename... T> void radek(const char* nazev, const T&... sloupce) {
    (QTest::newRow(nazev) << ... << sloupce);
}

} // namespace tarvik::test

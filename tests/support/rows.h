#pragma once

#include <QList>
#include <QTest>
#include <array>
#include <tuple>
#include <utility>

namespace tarvik::test {

// One row of a `_data` table: its name, then its columns in order.
template <typename... T> void radek(const char* nazev, const T&... sloupce) {
    (QTest::newRow(nazev) << ... << sloupce);
}

// The columns of the table declared last (QTest keeps the names, not copies of them).
inline QList<const char*>& nazvy_sloupcu() {
    static QList<const char*> nazvy;
    return nazvy;
}

// A table's columns, each with its type and name: `sloupce<QByteArray, int>({"soubor", "port"})`
// in `_data`, and `auto [soubor, port] = hodnoty<QByteArray, int>();` gives the current row's
// values in the test (a type that differs from the table's fails the test).
template <typename... T> void sloupce(const std::array<const char*, sizeof...(T)>& nazvy) {
    nazvy_sloupcu() = {nazvy.begin(), nazvy.end()};
    int i = 0;
    (QTest::addColumn<T>(nazvy[i++]), ...);
}
template <typename... T> std::tuple<T...> hodnoty() {
    return []<std::size_t... i>(std::index_sequence<i...>) {
        return std::tuple<T...>{
            *static_cast<T*>(QTest::qData(nazvy_sloupcu()[i], qMetaTypeId<T>()))...};
    }
    (std::index_sequence_for<T...>{});
}

} // namespace tarvik::test

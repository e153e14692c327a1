#pragma once

#include <QTest>
#include <tuple>
#include <utility>

namespace tarvik::test {

// One row of a `_data` table: its name, then its columns in order.
template <typename... T> void radek(const char* nazev, const T&... sloupce) {
    (QTest::newRow(nazev) << ... << sloupce);
}

// A table's columns are named by their places (QTest keeps the names, not copies of them).
inline constexpr const char* nazvy_sloupcu[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

// A table's columns by their types alone: `sloupce<A, B>()` declares them in `_data`, and
// `auto [a, b] = hodnoty<A, B>();` gives the current row's values in the test (a type that differs
// from the table's fails the test). Both go through the columns left to right.
template <typename... T> void sloupce() {
    int i = 0;
    (QTest::addColumn<T>(nazvy_sloupcu[i++]), ...);
}
template <typename... T, std::size_t... I> std::tuple<T...> hodnoty(std::index_sequence<I...>) {
    return {*static_cast<T*>(QTest::qData(nazvy_sloupcu[I], qMetaTypeId<T>()))...};
}
template <typename... T> std::tuple<T...> hodnoty() {
    return hodnoty<T...>(std::index_sequence_for<T...>{});
}

} // namespace tarvik::test

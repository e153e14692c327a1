#pragma once

#include <QTest>
#include <tuple>
#include <utility>

namespace tarvik::test {

// One row of a `_data` table: its name, then its columns in order.
template <typename... T> void radek(const char* nazev, const T&... sloupce) {
    (QTest::newRow(nazev) << ... << sloupce);
}

namespace detail {
inline constexpr const char* sloupec[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
template <typename... T, std::size_t... i> void sloupce(std::index_sequence<i...>) {
    (QTest::addColumn<T>(sloupec[i]), ...);
}
template <typename... T, std::size_t... i> std::tuple<T...> hodnoty(std::index_sequence<i...>) {
    return {*static_cast<T*>(QTest::qData(sloupec[i], qMetaTypeId<T>()))...};
}
} // namespace detail

// A table's columns by their types alone: `sloupce<A, B>()` declares them in `_data`, and
// `auto [a, b] = hodnoty<A, B>();` gives the current row's values in the test (a type that differs
// from the table's fails the test).
template <typename... T> void sloupce() {
    detail::sloupce<T...>(std::index_sequence_for<T...>{});
}
template <typename... T> std::tuple<T...> hodnoty() {
    return detail::hodnoty<T...>(std::index_sequence_for<T...>{});
}

} // namespace tarvik::test

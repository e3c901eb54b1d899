// Tables indexed by an enum. The enum's last enumerator is kCount; the table is a std::array of
// that many rows, and every row names the value it describes. RowsInEnumOrder proves at compile
// time that row i describes value i, so a table whose rows are reordered, or an enum that gains a
// value without its row, does not build:
//
//   enum class Colour : std::uint8_t { kRed, kGreen, kCount };
//   struct ColourRow { Colour colour; const char* name; };
//   inline constexpr com::EnumTable<Colour, ColourRow> kColours = {{
//       {Colour::kRed, "red"},
//       {Colour::kGreen, "green"},
//   }};
//   static_assert(com::RowsInEnumOrder(kColours, &ColourRow::colour));
#pragma once

#include <array>
#include <cstddef>
#include <type_traits>

namespace com {

// How many values an enum with a closing kCount has.
template <class E>
    requires std::is_enum_v<E>
inline constexpr std::size_t kEnumCount = static_cast<std::size_t>(E::kCount);

// One row per value of E.
template <class E, class Row>
using EnumTable = std::array<Row, kEnumCount<E>>;

// The index of a value in its table.
template <class E>
    requires std::is_enum_v<E>
constexpr std::size_t EnumIndex(E value) {
    return static_cast<std::size_t>(value);
}

// True when the table has a row for every value of E and row i holds value i in `key`. A row left
// out at the end is value-initialised, so it holds value 0 and fails the check as well.
template <class E, class Row, std::size_t N>
    requires std::is_enum_v<E>
constexpr bool RowsInEnumOrder(const std::array<Row, N>& table, E Row::*key) {
    if (N != kEnumCount<E>) return false;
    for (std::size_t i = 0; i < N; ++i)
        if (EnumIndex(table[i].*key) != i) return false;
    return true;
}

}  // namespace com

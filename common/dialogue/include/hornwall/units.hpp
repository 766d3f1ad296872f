#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hornwall/answer_reader.hpp"

namespace hornwall {

// A length-unit table: the two-character names written in the length_unit line, the
// answer 1 naming the first.
using UnitTable = std::span<const std::string_view>;

// in, ft, mm, cm, m: the table of hornwall_spline and hornwall_sinecorr.
inline constexpr std::array<std::string_view, 5> five_unit_table{"in", "ft", "mm", "cm", "m "};
// in, ft, mm, m: the table of hornwall_corr and hornwall_thickcorr.
inline constexpr std::array<std::string_view, 4> four_unit_table{"in", "ft", "mm", "m "};

// The name of unit `code` in `table`. Raises unit code not in table (66) for the channel
// `source` that the code was read from, when the code selects no entry.
std::string_view unit_name(UnitTable table, std::int32_t code, const AnswerChannel& source);

// The code that names the unit `name` ("mm", "m") in `table`; none when the table has no
// such unit.
std::optional<std::int32_t> unit_code_of(UnitTable table, std::string_view name);

// The names of `table` for a message, in order: "in, ft, mm and m".
std::string unit_names_text(UnitTable table);

}  // namespace hornwall

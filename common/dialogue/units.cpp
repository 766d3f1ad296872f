#include "hornwall/units.hpp"

#include "hornwall/text.hpp"

namespace hornwall {

std::string_view unit_name(UnitTable table, std::int32_t code, const AnswerChannel& source) {
  const auto entries = static_cast<std::int32_t>(table.size());
  if (code < 1 || code > entries) {
    throw unit_code_error(code, entries, source.unit(), source.name());
  }
  return table[static_cast<std::size_t>(code - 1)];
}

std::optional<std::int32_t> unit_code_of(UnitTable table, std::string_view name) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (trim_blanks(table[i]) == name) return static_cast<std::int32_t>(i + 1);
  }
  return std::nullopt;
}

std::string unit_names_text(UnitTable table) {
  std::string text;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (i > 0) text += i + 1 == table.size() ? " and " : ", ";
    text += trim_blanks(table[i]);
  }
  return text;
}

}  // namespace hornwall

#include "hornwall/units.hpp"

namespace hornwall {

std::string_view unit_name(UnitTable table, std::int32_t code, const AnswerChannel& source) {
  const auto entries = static_cast<std::int32_t>(table.size());
  if (code < 1 || code > entries) {
    throw unit_code_error(code, entries, source.unit(), source.name());
  }
  return table[static_cast<std::size_t>(code - 1)];
}

}  // namespace hornwall

#pragma once

#include <string_view>

namespace hornwall {

// The shipped example answers file examples/NAME.answers ("corr-single"), built into the
// programs; empty for a name that has none.
std::string_view example_answers(std::string_view name);

}  // namespace hornwall

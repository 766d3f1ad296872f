#pragma once

#include <string>

#include "hornwall/view/command_line.hpp"

// Making sure that the outputs of a run of the viewer destroy nothing.
namespace hornwall::view {

// Why writing the outputs that `options` names would destroy a file or mix with the
// console, or empty when it would not: an output is the object file itself (the same
// path, or an existing file that is the same file under another name or link), is
// standard output under another name (/dev/stdout), or two of them are the same file,
// whether it exists yet or not. An output going to standard output ("-") or to a device
// (/dev/null) clashes with nothing. File names are shown with every byte outside
// printable ASCII as \xNN.
std::string output_clash(const ViewOptions& options);

}  // namespace hornwall::view

#pragma once

#include <string>

#include "hornwall/view/command_line.hpp"

// The files of a run of the viewer: reading the object file, and making sure that the
// outputs destroy nothing.
namespace hornwall {

// The text of an object file, or why it could not be read.
struct FileText {
  std::string text;
  std::string failure;  // non-empty: "cannot open 'x.zul': No such file or directory"
};

// Reads the whole of the regular file at `path`, block by block. A path that cannot be
// opened gives the failure "cannot open 'PATH': REASON"; a directory, anything else that
// is not a regular file or a read that fails gives "cannot read 'PATH': REASON"
// ("Is a directory", "not a regular file", or what the system says). Throws
// std::bad_alloc when the text does not fit in memory.
FileText read_object_text(const std::string& path);

// Why writing the outputs that `options` names would destroy a file, or empty when it
// would not: the picture or the table is the object file itself (the same path, or an
// existing file that is the same file under another name or link), or the picture and
// the table are the same file. A table going to standard output ("-") or to a device
// (/dev/null) clashes with nothing.
std::string output_clash(const ViewOptions& options);

}  // namespace hornwall

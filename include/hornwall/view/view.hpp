#pragma once

#include <ostream>
#include <string_view>

#include "hornwall/view/command_line.hpp"

// One run of the viewer over the text of an object file.
namespace hornwall {

// Where the run's results go; `table` may be null (no --table).
struct ViewOutputs {
  std::ostream& summary;   // the summary (unless options.quiet)
  std::ostream& messages;  // "FILE:LINE: error: ..." and "FILE:LINE: warning: ..."
  std::ostream& svg;       // the picture, always written
  std::ostream* table;     // the CSV of the evaluated nodes
};

// Reads, evaluates and checks `text`, the object file named `options.file`, then writes
// the messages, the picture, the table and the summary. Returns the exit status: 0 when
// no error was found (warnings allowed), 1 otherwise.
int view_object_file(std::string_view text, const ViewOptions& options, const ViewOutputs& outputs);

}  // namespace hornwall

#include "hornwall/run_error.hpp"

#include <utility>

#include "hornwall/text.hpp"

namespace hornwall {
namespace {

std::string_view catalogue_text(Failure failure) {
  switch (failure) {
    case Failure::end_of_file: return "end-of-file during read";
    case Failure::syntax_error: return "list-directed I/O syntax error";
    case Failure::file_not_found: return "file not found";
    case Failure::permission_denied: return "permission to access file denied";
    case Failure::no_such_device: return "no such device";
    case Failure::bad_file_name: return "file name specification error";
    case Failure::open_failure: return "open failure";
    case Failure::write_error: return "error during write";
    case Failure::read_error: return "error during read";
    case Failure::out_of_memory: return "insufficient virtual memory";
    case Failure::conversion_error: return "input conversion error";
    case Failure::unit_code_out_of_table: return "length unit code";
  }
  return "unknown failure";
}

std::string unit_and_file(int unit, std::string_view file) {
  return ", unit " + std::to_string(unit) + ", file " + printable(file);
}

}  // namespace

RunError::RunError(Failure failure, std::string message, int unit)
    : number_(static_cast<int>(failure)), unit_(unit), message_(std::move(message)) {}

RunError channel_error(Failure failure, int unit, std::string_view file) {
  return RunError(failure, std::string(catalogue_text(failure)) + unit_and_file(unit, file), unit);
}

RunError unit_code_error(long long code, int table_size, int unit, std::string_view file) {
  return RunError(Failure::unit_code_out_of_table,
                  std::string(catalogue_text(Failure::unit_code_out_of_table)) + " " +
                      std::to_string(code) + " not in 1 to " + std::to_string(table_size) +
                      unit_and_file(unit, file));
}

std::string_view out_of_memory_line() { return "severe (41): insufficient virtual memory\n"; }

std::string error_line(const RunError& error) {
  return "severe (" + std::to_string(error.number()) + "): " + error.message() + "\n";
}

}  // namespace hornwall

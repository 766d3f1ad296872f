#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hornwall/questions.hpp"

// The runs of hornwall_design and of the generators inside a script: the same work as the
// programs, on text in memory.
namespace hornwall::python {

// A wall designed by hornwall_design's rules.
struct Designed {
  std::string answers;  // the answers file
  std::string report;   // the report, as hornwall_design prints it
  SymbolValues values;  // every numeric answer, by its symbol
};

// Designs the wall that `arguments` ask for, read as hornwall_design reads its command line
// (without the program's name and without -o), with an answers file that names the object
// file `object_file`. Throws CallError with "hornwall_design: REASON" and status 2 for
// what the command line refuses and for an object file name that is empty or holds a line
// end, status 1 for a design that is impossible.
Designed design_from_options(std::span<const std::string> arguments, std::string_view object_file);

// What a generator run left.
struct Generated {
  std::string object_name;  // the name the answers gave the object file
  std::string object_file;  // the object file
  std::string transcript;   // what the run wrote on the console
};

// The name under which a generator run reads its answers, as its messages show it.
inline constexpr std::string_view answers_name = "<answers>";

// Runs the generator `program` ("corr" or "hornwall_corr") as its program would run with
// --answers on a file that holds `answers`, named answers_name, and then `arguments`
// (--set, --close, ...); the object file is kept in memory. Throws CallError with what the
// program prints on its error output and its exit status when the run fails (of a usage
// error, the reason alone: "hornwall_corr: unknown symbol ..."), with
// "hornwall_NAME: the answers wrote no object file" and status 1 for a run that ends
// without one, and with "hornwall: unknown program 'NAME': ..." and status 2 for a program
// that is no generator.
Generated generate_in_memory(std::string_view program, std::string answers,
                             std::span<const std::string> arguments);

}  // namespace hornwall::python

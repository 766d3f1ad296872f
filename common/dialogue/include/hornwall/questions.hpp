#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/result.hpp"
#include "hornwall/units.hpp"

// A generator's questions, described once: what the dialogue asks, what an answers file
// holds line by line, what --set may change, what a template says of each line, what the
// design tool writes and what the manual lists. Each generator keeps the description of
// its own questions beside its wall.
namespace hornwall {

// Whether an answer read from the input text file is shown again on the console.
enum class Echo { yes, no };

// What one value of an answer is.
enum class ValueKind {
  length,            // a real, in the wall's unit of length
  count,             // an integer
  unit_code,         // the unit's place in the wall's unit table
  corrugation_type,  // 1 single band, 2 dual band
  file_name,         // the object file's name: a whole line
};

// One value of an answer: the symbol by which the object file, the manual and --set know
// it ("RW1"; empty for none), and its kind. The symbol of a question asked once per
// variable corrugation is its letters, which the corrugation's number follows ("C" for
// C1, C2, ...).
struct AnswerValue {
  std::string_view symbol;
  ValueKind kind = ValueKind::length;
};

// When a question is asked.
enum class Asked {
  always,
  single_band,      // only in the single band
  dual_band,        // only in the dual band
  each_pass,        // once for every variable corrugation, in its pass
  each_later_pass,  // once for every variable corrugation but the first
};

// One question: one line of an answers file.
struct Question {
  std::string_view prompt;  // as the console shows it, blanks included
  std::array<AnswerValue, 2> values;
  std::size_t value_count = 1;
  // What a template writes after the values: {unit} stands for " (mm)" in the wall's unit,
  // {k} for the variable corrugation's number, {k-1} and {k+1} for its neighbours'.
  std::string_view comment;
  Echo echo = Echo::yes;
  Asked asked = Asked::always;
  // The number in a pass's symbol is the corrugation's number and this (D2 for the first).
  int pass_offset = 0;

  std::span<const AnswerValue> answer_values() const { return {values.data(), value_count}; }
};

// A generator's questions, in the order a run asks them, and the rules that tie them.
struct AnswersSchema {
  std::span<const Question* const> questions;
  UnitTable units;
  // The answer that counts the passes, and the passes that have symbols (the variable
  // corrugations with variables of their own); 0 for a wall without passes.
  std::string_view pass_count_symbol;
  std::int64_t named_passes = 0;
};

// The symbol of value `value` of `question` in variable corrugation `pass` (ignored
// outside passes): "RW1", "C3"; empty for a value without one, or for a pass of 0, one
// that has no variables of its own.
std::string symbol_of(const Question& question, std::size_t value, std::int64_t pass);

// The comment of `question` in a template of a wall in the unit `unit` ("mm"), in
// variable corrugation `pass`.
std::string comment_of(const Question& question, std::int64_t pass, std::string_view unit);

// Every symbol that --set may give a value to, in the order of the questions: those of
// both bands, and those of every pass that has symbols ("C1" ... "C7").
std::vector<std::string> settable_symbols(const AnswersSchema& schema);

// One question as a run asks it: the question, its pass (0 outside passes), and the pass
// its symbols name (0 beyond the passes that have symbols).
struct AskedQuestion {
  const Question* question;
  std::int64_t pass;
  std::int64_t symbol_pass;
};

// The questions that a run asks, in order, for the dual band or not, with `passes`
// variable corrugations.
std::vector<AskedQuestion> questions_asked(const AnswersSchema& schema, bool dual_band,
                                           std::int64_t passes);

// True when `schema` has questions of the dual band: its program asks for the corrugation
// type.
bool has_dual_band(const AnswersSchema& schema);

// The numeric answers of a run by their symbols ("RW1", "NCORR", "C3"): lengths in the
// wall's unit, counts as whole numbers.
using SymbolValues = std::map<std::string, double, std::less<>>;

// A length as an answers file gives it: its shortest form that reads back as `value`, with
// a decimal point (".0" after a whole number), so that it reads as a length and not as a
// count: "7.6477", "60.0", "1e-40".
std::string length_answer(double value);

// What an answers file written from a schema answers.
struct AnswersFile {
  bool dual_band = false;
  std::string_view object_file;  // the name the file gives for the object file
  std::string_view unit;         // the unit's name in the schema's table: "mm"
  SymbolValues values;           // the value of every symbol that the run asks for
  std::string_view note;         // said after the comment of the first numeric line
};

// The answers file of `file`, in the form of the shipped templates: one line for each
// question that a run of `schema` asks (questions_asked, its passes counted by the value
// of the schema's pass count symbol), its values in 17 columns and then its comment
// (comment_of, in the file's unit); the object file's name alone on its line. The
// corrugation type and the unit code come from `file` and the schema's unit table. The
// reason names a unit that the table does not have, or a question whose symbol has no value
// in `file` (a pass beyond those that have symbols among them).
Result<std::string> answers_file_text(const AnswersSchema& schema, const AnswersFile& file);

// The questions that every generator asks: the object file's name (its symbol FILE) and,
// in the walls with bands, the corrugation type.
extern const Question object_file_question;
extern const Question corrugation_type_question;

}  // namespace hornwall

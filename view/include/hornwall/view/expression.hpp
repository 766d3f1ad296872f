#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/view/names.hpp"

// The expressions of the object files: numbers as the generators write them ("2.",
// ".5", "  1.0000E+01", "NaN", "Infinity"), + - * / with the usual precedence and left
// association, unary signs, parentheses, COS(x) in radians, and references to variables
// written REF(NAME) or ref(NAME). An expression is parsed once into code, a tree written
// in postfix order, which is then evaluated in double precision as often as needed.
namespace hornwall::view {

enum class Op : std::uint8_t { number, reference, negate, add, subtract, multiply, divide, cosine };

// One step of the code: push a number or a referenced value, or apply an operator to the
// values on top of the stack.
struct Instruction {
  Op op = Op::number;
  std::uint32_t symbol = 0;  // Op::reference: the number of the name referenced
  double number = 0.0;       // Op::number: the value
};

// Parses the whole of `text` (blanks, those of is_blank(), are free between tokens) and
// appends its code to `code`, giving every referenced name its number in `names`.
// Returns "" when the text parses; otherwise the reason with its 1-based column
// ("expected an operand at column 4", "expected ')' at the end"), and `code` is left as
// it was. Parentheses, COS(...) among them, nest at most 100 deep ("nested too deeply"
// beyond); any number of unary signs may stand before an operand. A number beyond the
// largest double is "number out of range"; one too small for a double reads as zero.
std::string compile(std::string_view text, Names& names, std::vector<Instruction>& code);

// True when `text`, blanks around it aside, is one number with an optional sign, as a
// generator writes a number column: "  2.5400E+01", "-5.0000E-01", "NaN", "-Infinity".
bool is_plain_number(std::string_view text);

// What evaluating code gave.
struct Outcome {
  double value = 0.0;  // meaningful only when usable()
  bool uses_undefined = false;
  bool uses_failed = false;  // a referenced variable has no value (it was reported)
  bool usable() const { return !uses_undefined && !uses_failed; }
};

// What a reference found: a value, no variable of that name, or a variable without one.
enum class Found { value, undefined, failed };

// Evaluates `code`, asking `lookup(symbol, value)` for each reference, which returns a
// Found and sets `value` when it found one. `stack` is scratch room, reused between calls.
template <typename Lookup>
Outcome evaluate(std::span<const Instruction> code, const Lookup& lookup,
                 std::vector<double>& stack) {
  Outcome outcome;
  stack.clear();
  for (const Instruction& step : code) {
    double top = 0.0;
    switch (step.op) {
      case Op::number: stack.push_back(step.number); continue;
      case Op::reference: {
        double value = std::numeric_limits<double>::quiet_NaN();
        const Found found = lookup(step.symbol, value);
        if (found == Found::undefined) outcome.uses_undefined = true;
        if (found == Found::failed) outcome.uses_failed = true;
        stack.push_back(found == Found::value ? value : std::numeric_limits<double>::quiet_NaN());
        continue;
      }
      case Op::negate: stack.back() = -stack.back(); continue;
      case Op::cosine: stack.back() = std::cos(stack.back()); continue;
      default: break;
    }
    top = stack.back();
    stack.pop_back();
    double& left = stack.back();
    switch (step.op) {
      case Op::add: left = left + top; break;
      case Op::subtract: left = left - top; break;
      case Op::multiply: left = left * top; break;
      case Op::divide: left = left / top; break;
      default: break;
    }
  }
  outcome.value = stack.empty() ? std::numeric_limits<double>::quiet_NaN() : stack.back();
  return outcome;
}

}  // namespace hornwall::view

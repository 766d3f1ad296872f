#pragma once

#include <string>
#include <string_view>
#include <vector>

// The expressions of the object files: numbers as the generators write them ("2.",
// ".5", "  1.0000E+01", "NaN", "Infinity"), + - * / with the usual precedence and left
// association, unary signs, parentheses, COS(x) in radians, and references to variables
// written REF(NAME) or ref(NAME). Evaluated in double precision.
namespace hornwall {

// What a reference finds.
struct VariableValue {
  bool defined = false;  // a variable of that name exists
  bool usable = false;   // and it has a value (false: it failed and was reported)
  double value = 0.0;
};

// Answers the references of an expression while it is evaluated.
class VariableValues {
 public:
  virtual ~VariableValues() = default;
  // The variable called `name`, as the expression at hand sees it.
  virtual VariableValue lookup(std::string_view name) = 0;
};

// The outcome of evaluating one expression.
struct Evaluation {
  double value = 0.0;                       // meaningful only when usable()
  std::string syntax_error;                 // why the text does not parse; empty if it does
  std::vector<std::string_view> undefined;  // names not defined, each once, in text order
  bool uses_failed = false;                 // it references a variable without a value

  // True when the text parses and every reference has a value.
  bool usable() const { return syntax_error.empty() && undefined.empty() && !uses_failed; }
};

// Evaluates the whole of `text` (blanks, those of is_blank(), are free between tokens),
// asking `values` for every reference. A text that does not parse gives a reason with
// its 1-based column ("expected an operand at column 4"); undefined names are listed as
// views into `text`. Parentheses, COS(...) among them, nest at most 100 deep ("nested
// too deeply" beyond); any number of unary signs may stand before an operand.
Evaluation evaluate_expression(std::string_view text, VariableValues& values);

// True when `text`, blanks around it aside, is one number with an optional sign, as a
// generator writes a number column: "  2.5400E+01", "-5.0000E-01", "NaN", "-Infinity".
bool is_plain_number(std::string_view text);

}  // namespace hornwall

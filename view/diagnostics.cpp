#include "hornwall/view/diagnostics.hpp"

#include <algorithm>
#include <cmath>

#include "hornwall/number_text.hpp"
#include "hornwall/text.hpp"

namespace hornwall::view {

void Diagnostics::report(Finding kind, std::uint64_t line, std::string text) {
  if (shows(kind)) kept_.push_back({line, kind, std::move(text)});
  count(kind);
}

void Diagnostics::count(Finding kind) {
  ++found_[index(kind)];
  if (severity_of(kind) == Severity::error) {
    ++errors_;
  } else {
    ++warnings_;
  }
}

std::vector<Diagnostic> Diagnostics::sorted() const {
  std::vector<Diagnostic> lines = kept_;
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  return lines;
}

void write_diagnostics(const Diagnostics& diagnostics, std::string_view file_name,
                       std::ostream& out) {
  const std::string file = printable(file_name);
  std::string text;
  for (const Diagnostic& found : diagnostics.sorted()) {
    text += file;
    text += ':';
    text += std::to_string(found.line);
    text += severity_of(found.kind) == Severity::error ? ": error: " : ": warning: ";
    append_printable(text, found.text);
    text += '\n';
  }
  for (std::size_t k = 0; k < finding_kinds; ++k) {
    const auto kind = static_cast<Finding>(k);
    const std::uint64_t found = diagnostics.count_of(kind);
    if (found <= Diagnostics::shown_per_kind) continue;
    text += file;
    text += ": note: " + std::to_string(found - Diagnostics::shown_per_kind) + " more ";
    text += severity_of(kind) == Severity::error ? "errors" : "warnings";
    text += " of this kind not shown: ";
    text += finding_row(kind).note;
    text += '\n';
  }
  out << text;
}

bool fails(const Diagnostics& diagnostics, bool strict) {
  return diagnostics.error_count() > 0 || (strict && diagnostics.warning_count() > 0);
}

std::string verdict_text(const Diagnostics& diagnostics, bool strict) {
  const auto counted = [](std::uint64_t count, std::string_view what) {
    return std::to_string(count) + " " + std::string(what) + (count == 1 ? "" : "s");
  };
  const std::uint64_t errors = diagnostics.error_count(), warnings = diagnostics.warning_count();
  if (errors > 0) {
    return "fails with " + counted(errors, "error") +
           (warnings > 0 ? " and " + counted(warnings, "warning") : "");
  }
  if (warnings == 0) return "passes";
  std::string text = strict ? "fails with " : "passes with ";
  text += counted(warnings, "warning");
  if (strict) text += " (strict)";
  return text;
}

std::string short_number(double value, int digits) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == 0.0) return "0";
  std::string text;
  append_general(text, value, digits);
  return text;
}

}  // namespace hornwall::view

#include "hornwall/view/diagnostics.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "hornwall/text.hpp"

namespace hornwall::view {
namespace {

// What the note about findings not shown says of each kind.
std::string_view kind_name(Finding kind) {
  switch (kind) {
    case Finding::unreadable: return "not a well-formed block";
    case Finding::no_profile: return "no profile";
    case Finding::unparsable: return "cannot parse";
    case Finding::undefined: return "reference to undefined variable";
    case Finding::cycle: return "reference each other in a cycle";
    case Finding::not_finite: return "is not finite";
    case Finding::crossing: return "crosses itself";
    case Finding::defined_again: return "is defined again";
    case Finding::few_nodes: return "fewer than two nodes";
    case Finding::negative_radius: return "has a negative radius";
    case Finding::runs_back: return "runs back towards the aperture";
    case Finding::no_join: return "does not join";
    case Finding::undrawable: return "cannot draw";
    case Finding::band_unit: return "length unit unknown to the band check";
    case Finding::band_gap: return "no corrugation is capacitive";
    case Finding::sparse: return "corrugations per wavelength";
    case Finding::interleave: return "the interleave breaks";
  }
  return "finding";
}

}  // namespace

Severity severity_of(Finding kind) {
  switch (kind) {
    case Finding::defined_again:
    case Finding::few_nodes:
    case Finding::negative_radius:
    case Finding::runs_back:
    case Finding::no_join:
    case Finding::undrawable:
    case Finding::band_gap:
    case Finding::sparse:
    case Finding::interleave: return Severity::warning;
    default: return Severity::error;
  }
}

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
    text += kind_name(kind);
    text += '\n';
  }
  out << text;
}

std::string short_number(double value, int digits) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == 0.0) return "0";
  std::array<char, 32> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), value,
                                     std::chars_format::general, digits);
  return std::string(text.data(), written.ptr);
}

}  // namespace hornwall::view

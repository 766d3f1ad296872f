#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// The errors and warnings found in one object file, each tied to a line.
namespace hornwall::view {

enum class Severity { error, warning };

// What a finding is about. Each kind has one row in `finding_table`, and at most
// Diagnostics::shown_per_kind findings of one kind are kept; the rest are counted.
enum class Finding : std::uint8_t {
  unreadable,       // text that is not a well-formed block; reading stops there
  no_profile,       // the file holds no profile
  unparsable,       // an expression that does not parse
  undefined,        // a reference to a variable that is not defined
  cycle,            // variables that reference each other
  not_finite,       // a value that is infinite or not a number
  crossing,         // a profile that crosses or overlaps itself
  defined_again,    // a variable defined twice
  few_nodes,        // a profile with fewer than two nodes
  negative_radius,  // a node below the axis
  runs_back,        // a node that steps back towards the aperture
  no_join,          // consecutive profiles that do not meet
  undrawable,       // nodes too far apart or too close together to draw
  band_unit,        // a corrugated profile whose length unit a band check cannot convert
  low_coverage,     // frequencies of a band at which too few corrugations are capacitive
  sparse,           // fewer than 5 corrugations per wavelength at a band's top
  interleave,       // a dual band's interleave broken by corrugations that serve neither
  drawing_unit,     // a profile whose length unit the DXF drawing cannot take
};
inline constexpr std::size_t finding_kinds = static_cast<std::size_t>(Finding::drawing_unit) + 1;

// What is known of each kind of finding: one row a kind.
struct FindingRow {
  Finding kind;
  std::string_view name;  // as the JSON report names it: "undefined", "low_coverage"
  Severity severity;
  std::string_view note;  // what the note on findings not shown calls it
};

// The kinds of finding, in the order of `Finding`: the compiler refuses a table that misses
// a kind or holds one out of its place.
inline constexpr std::array<FindingRow, finding_kinds> finding_table = {{
    {Finding::unreadable, "unreadable", Severity::error, "not a well-formed block"},
    {Finding::no_profile, "no_profile", Severity::error, "no profile"},
    {Finding::unparsable, "unparsable", Severity::error, "cannot parse"},
    {Finding::undefined, "undefined", Severity::error, "reference to undefined variable"},
    {Finding::cycle, "cycle", Severity::error, "reference each other in a cycle"},
    {Finding::not_finite, "not_finite", Severity::error, "is not finite"},
    {Finding::crossing, "crossing", Severity::error, "crosses itself"},
    {Finding::defined_again, "defined_again", Severity::warning, "is defined again"},
    {Finding::few_nodes, "few_nodes", Severity::warning, "fewer than two nodes"},
    {Finding::negative_radius, "negative_radius", Severity::warning, "has a negative radius"},
    {Finding::runs_back, "runs_back", Severity::warning, "runs back towards the aperture"},
    {Finding::no_join, "no_join", Severity::warning, "does not join"},
    {Finding::undrawable, "undrawable", Severity::warning, "cannot draw"},
    {Finding::band_unit, "band_unit", Severity::error, "length unit unknown to the band check"},
    {Finding::low_coverage, "low_coverage", Severity::warning,
     "too few corrugations are capacitive"},
    {Finding::sparse, "sparse", Severity::warning, "corrugations per wavelength"},
    {Finding::interleave, "interleave", Severity::warning, "the interleave breaks"},
    {Finding::drawing_unit, "drawing_unit", Severity::error,
     "length unit the DXF drawing cannot take"},
}};

// True when every row of `table` stands at its kind's place and has a name and a note.
constexpr bool rows_in_place(const std::array<FindingRow, finding_kinds>& table) {
  for (std::size_t k = 0; k < table.size(); ++k) {
    const FindingRow& row = table[k];
    if (static_cast<std::size_t>(row.kind) != k || row.name.empty() || row.note.empty()) {
      return false;
    }
  }
  return true;
}
static_assert(rows_in_place(finding_table), "one row per kind of finding, in the enum's order");

// The row of a kind of finding.
constexpr const FindingRow& finding_row(Finding kind) {
  return finding_table[static_cast<std::size_t>(kind)];
}

// The severity of a kind of finding.
constexpr Severity severity_of(Finding kind) { return finding_row(kind).severity; }

// A severity as the JSON report names it: "error" or "warning".
constexpr std::string_view severity_name(Severity severity) {
  return severity == Severity::error ? "error" : "warning";
}

// One finding: the 1-based line it concerns, its kind and its text (without the
// "FILE:LINE: error: " prefix).
struct Diagnostic {
  std::uint64_t line = 0;
  Finding kind = Finding::unreadable;
  std::string text;
};

// Collects the findings of one run in the order they are found, keeping the first
// shown_per_kind of each kind and counting the rest, so that a hostile file cannot make
// the messages or the memory grow without bound.
class Diagnostics {
 public:
  static constexpr std::size_t shown_per_kind = 100;

  // Records a finding of `kind` at `line`.
  void report(Finding kind, std::uint64_t line, std::string text);
  // The same, with the text made by `make_text()` only when it is kept.
  template <typename MakeText>
  requires std::invocable<MakeText>
  void report(Finding kind, std::uint64_t line, const MakeText& make_text) {
    if (shows(kind)) {
      report(kind, line, std::string(make_text()));
    } else {
      count(kind);
    }
  }
  // False when a finding of `kind` would only be counted: its text need not be built.
  bool shows(Finding kind) const { return found_[index(kind)] < shown_per_kind; }
  // Counts a finding of `kind` whose text is not kept (see shows()).
  void count(Finding kind);

  // The counts of each severity recorded so far, counted ones included.
  std::uint64_t error_count() const { return errors_; }
  std::uint64_t warning_count() const { return warnings_; }
  // How many findings of `kind` were recorded, counted ones included.
  std::uint64_t count_of(Finding kind) const { return found_[index(kind)]; }

  // The kept findings, stably sorted by line, so that they read top to bottom.
  std::vector<Diagnostic> sorted() const;

 private:
  static std::size_t index(Finding kind) { return static_cast<std::size_t>(kind); }

  std::vector<Diagnostic> kept_;
  std::array<std::uint64_t, finding_kinds> found_{};
  std::uint64_t errors_ = 0;
  std::uint64_t warnings_ = 0;
};

// Writes every kept finding of `diagnostics`, sorted by line, one per line, as compilers
// write them: "FILE:LINE: error: TEXT" or "FILE:LINE: warning: TEXT"; then, for each kind
// with more findings than were kept, "FILE: note: N more errors of this kind not shown:
// WHAT". Every byte of FILE and TEXT outside printable ASCII is written as \xNN, so that
// neither can reach the terminal as control sequences.
void write_diagnostics(const Diagnostics& diagnostics, std::string_view file_name,
                       std::ostream& out);

// How a run with these findings comes out, as a few words: "passes", "passes with 1
// warning", "fails with 2 errors and 1 warning", and with `strict`, where warnings fail,
// "fails with 3 warnings (strict)".
std::string verdict_text(const Diagnostics& diagnostics, bool strict);

// True when a run with these findings fails: any error, or with `strict` any warning.
bool fails(const Diagnostics& diagnostics, bool strict);

// A number for a message or the summary: at most `digits` significant digits, the
// shortest form ("100", "-51.5", "1.5321e-14"); "NaN", "Infinity" and "-Infinity" as
// the object files write them.
std::string short_number(double value, int digits = 6);

}  // namespace hornwall::view

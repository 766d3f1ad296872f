#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hornwall/design/design.hpp"
#include "hornwall/result.hpp"

// The wall that a design's answers file makes: its numbers as the answers file writes
// them, as the generator reads them into single precision and writes them into the object
// file's fields and expressions, and as hornwall_view reads and evaluates those in double
// precision and measures the corrugations from the nodes.
namespace hornwall::design {

// A real as the answers file writes it: length_answer.
std::string answer_real(double value);

// A number for a message, with at most 6 significant digits: "-3.122", "1e+07".
std::string figure_text(double value);

// A length for the report, with at most 6 significant digits and a decimal point:
// "150.0", "119.992".
std::string length_text(double value);

// The way a number is rounded.
enum class Towards { up, down };

// `value` rounded to `digits` significant digits, to the nearest such number at or above it
// (up) or at or below it (down), as the double that reads back from those digits: a field
// of that many digits then holds it exactly, and the rounding never goes the other way.
double round_to_digits(double value, int digits, Towards towards);

// The single-precision number that the generator reads from answer_real(value), rounded
// to nearest. `value` lies within largest_readable.
float generator_reads(double value);

// The number that hornwall_view reads where the generator writes the finite `value` in
// the object file: a field of 5 significant digits (sci12.4), or with `six` digits
// (sci12.5), rounded to nearest.
double viewer_reads(float value, bool six = false);

// The answer of `symbol` in `design` as the generator reads it, and as hornwall_view reads
// it where the generator writes it in a field of 5 digits: 0 for one that the design does
// not give, which a run that does not ask for it leaves at zero.
float answer_read(const Design& design, std::string_view symbol);
double field_read(const Design& design, std::string_view symbol);

// The first length of the answers file of `design` that the generators cannot read,
// named with its symbol and unit: one beyond largest_readable.
Result<void> check_readable(const Design& design);

// A node of the wall, in the file's length unit.
struct Point {
  double z = 0.0;
  double rho = 0.0;
};

// The numbers of the conical base line of corr, sinecorr and spline, as hornwall_view
// evaluates them: RW1, RD = RW2 - RW1 and ZD = ZW2 - ZW1, which the generator derives and
// writes, and ZW2. ZW1 is 0.
struct WrittenBaseLine {
  double rw1 = 0.0;
  double rd = 0.0;
  double zd = 0.0;
  double zw2 = 0.0;

  explicit WrittenBaseLine(const Design& design);
  // The node at the aperture plane: -REF(ZW1), REF(RW1).
  Point start() const { return {-0.0, rw1}; }
  // The base line's radius `position` behind the aperture plane:
  // REF(RD)*position/REF(ZD)+REF(RW1).
  double radius(double position) const { return rd * position / zd + rw1; }
};

// The most nodes that one corrugation brings.
inline constexpr std::size_t most_nodes = 100;
using Nodes = std::array<Point, most_nodes>;

// The nodes of a wall as its generator writes them from a design's answers and as
// hornwall_view evaluates them: those of the profile that carries the corrugations, one
// corrugation at a time, in the file's order, and the extent of the file's other profiles.
class WrittenNodes {
 public:
  virtual ~WrittenNodes() = default;
  // How many corrugations the generator writes.
  virtual std::int64_t corrugations() const = 0;
  // The nodes of the profile before the first corrugation's, into `out`; their number.
  virtual std::size_t before(Nodes& out) const = 0;
  // The nodes of corrugation `k` (from 0), into `out`; their number.
  virtual std::size_t nodes(std::int64_t k, Nodes& out) = 0;
  // The nodes of the profile after the last corrugation's, into `out`; their number.
  virtual std::size_t after(Nodes&) const { return 0; }
  // The height written for corrugation `k` (from 0), as hornwall_view reads it.
  virtual double height(std::int64_t k) = 0;
  // The largest coordinate of the nodes of the file's other profiles; 0 without any.
  virtual double elsewhere() const { return 0.0; }
  // What hornwall_view would warn of in the file's other profiles, or where they meet this
  // one, telling apart what lies more than `tolerance` apart, with lengths in `unit`
  // (" mm"); none when it would warn of nothing.
  virtual std::optional<std::string> fault_elsewhere(double, const std::string&) const {
    return std::nullopt;
  }
};

// Measures the wall that the generator writes from the answers of `design` as
// hornwall_view will measure it: evaluates every node from the numbers as written, finds
// the corrugations (radial faces, or bumps above the lower hull of the nodes) with the
// viewer's tolerance, a millionth of the largest coordinate, and judges each against the
// design's bands, one corrugation at a time. The reason when hornwall_view could not
// measure the wall as designed: a node that does not evaluate to a finite number, or two
// consecutive nodes that lie closer than the tolerance, run back towards the aperture or
// stand at one z twice in a row. Every number of the answers file must be readable
// (check_readable).
Result<WallMeasure> measure_written_wall(const Design& design);

}  // namespace hornwall::design

#pragma once

#include <cstdint>
#include <string>

#include "hornwall/design/design.hpp"
#include "hornwall/result.hpp"

// The wall that a design's answers file makes: its numbers as the answers file writes
// them, as the generator reads them into single precision and writes them into the object
// file's fields and expressions, and as hornwall_view reads and evaluates those in double
// precision and measures the corrugations from the nodes.
namespace hornwall::design {

// A real as the answers file writes it: its shortest form, with a decimal point (".0"
// after a whole number), so that it reads as a length and not as a count.
std::string answer_real(double value);

// A number for a message, with at most 6 significant digits: "-3.122", "1e+07".
std::string figure_text(double value);

// The gap (corr) or length (sinecorr) that the answers file gives each variable
// corrugation after the first.
double variable_step(const Design& design);

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
// the object file: a field of 5 significant digits, rounded to nearest.
double viewer_reads(float value);

// The first number of the answers file of `design` that the generators cannot read,
// named with its symbol and unit: one beyond largest_readable.
Result<void> check_readable(const Design& design);

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

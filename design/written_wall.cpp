#include "written_wall.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hornwall/fields.hpp"
#include "hornwall/number_text.hpp"
#include "hornwall/text.hpp"
#include "wall_rules.hpp"

namespace hornwall::design {
namespace {

// The double that the decimal text `text` reads as; none beyond the doubles' range, at
// either end.
std::optional<double> read_digits(std::string_view text) {
  const NumberReading<double> read = read_double(text);
  if (read.status != NumberRead::ok) return std::nullopt;
  return read.value;
}

// The number of `digits` significant digits next to the one written in scientific form
// from `begin` to `end` ("7.6477e+00"), one unit of its last digit up (`step` 1) or down
// (`step` -1).
std::optional<double> next_in_digits(const char* begin, const char* end, int digits, int step) {
  std::int64_t mantissa = 0;
  const char* at = begin;
  for (; at != end && *at != 'e'; ++at) {
    if (*at != '.') mantissa = mantissa * 10 + (*at - '0');
  }
  if (at != end) ++at;
  if (at != end && *at == '+') ++at;
  int exponent = 0;
  std::from_chars(at, end, exponent);
  exponent -= digits - 1;
  const auto lowest = static_cast<std::int64_t>(std::pow(10.0, digits - 1));
  if (step < 0 && mantissa == lowest) {
    // Down from 1.0000eN: 9.9999e(N-1).
    mantissa = 10 * lowest - 1;
    --exponent;
  } else {
    mantissa += step;
  }
  const std::string text = std::to_string(mantissa) + "e" + std::to_string(exponent);
  return read_digits(text);
}

// Adds `p` to the lower convex hull of the nodes before it, taken in rising z, as
// hornwall_view does: a corner on or above the line from the one before it to `p` goes.
void extend_hull(std::vector<Point>& hull, const Point& p) {
  while (hull.size() >= 2) {
    const Point& a = hull[hull.size() - 2];
    const Point& b = hull.back();
    if ((b.z - a.z) * (p.rho - a.rho) - (b.rho - a.rho) * (p.z - a.z) > 0.0) break;
    hull.pop_back();
  }
  hull.push_back(p);
}

// The rho of the hull at `z`, within its z range.
double base_at(const std::vector<Point>& hull, double z) {
  const auto after = std::lower_bound(hull.begin(), hull.end(), z,
                                      [](const Point& node, double at) { return node.z < at; });
  if (after == hull.end()) return hull.back().rho;
  if (after == hull.begin() || after->z == z) return after->rho;
  const Point& a = *(after - 1);
  const Point& b = *after;
  return a.rho + (b.rho - a.rho) * ((z - a.z) / (b.z - a.z));
}

// Where a run of corrugations that serve none of a band, after one that does, breaks the
// interleave: it is two or more long and one that serves the band follows it.
class InterleaveWatch {
 public:
  // `serves`: at how many of the band's frequencies corrugation `index` is capacitive.
  void add(std::size_t serves, std::size_t index) {
    if (serves > 0) {
      if (served_ && run_ >= 2 && !found_) found_ = {index - run_, index - 1};
      served_ = true;
      run_ = 0;
    } else if (served_) {
      ++run_;
    }
  }
  const std::optional<std::pair<std::size_t, std::size_t>>& found() const { return found_; }

 private:
  bool served_ = false;  // a corrugation before the current run serves the band
  std::size_t run_ = 0;  // the corrugations since the last that serves it
  std::optional<std::pair<std::size_t, std::size_t>> found_;
};

// The corrugations found, one at a time, judged against the bands as they come and
// against the heights written.
class Tally {
 public:
  // `written(k)` is the height written for corrugation k, from 0 to `count` - 1, in the
  // unit; each band is judged against `min_coverage` percent.
  Tally(const std::vector<FrequencyBand>& bands, double min_coverage, double metres,
        std::size_t count, std::function<double(std::size_t)> written, double tolerance)
      : metres_(metres),
        watches_(bands.size()),
        count_(count),
        written_(std::move(written)),
        tolerance_(tolerance) {
    for (const FrequencyBand& band : bands) judges_.emplace_back(band, min_coverage);
  }

  void add(double height, double peak_z) {
    if (found_ == 0) {
      lowest_ = highest_ = height;
    } else {
      lowest_ = std::min(lowest_, height);
      highest_ = std::max(highest_, height);
      const double pitch = std::abs(last_peak_ - peak_z);
      if (!widest_ || pitch > *widest_) widest_ = pitch;
    }
    last_peak_ = peak_z;
    if (found_ < count_) {
      const double written = written_(found_);
      const double off = std::abs(height - written);
      if (off > tolerance_ &&
          (!misread_ || off > std::abs(misread_->measured - misread_->written))) {
        misread_ = WallMeasure::Misread{found_, height, written};
      }
    }
    for (std::size_t b = 0; b < judges_.size(); ++b) {
      watches_[b].add(judges_[b].add(height * metres_), found_);
    }
    ++found_;
  }

  WallMeasure measure() {
    WallMeasure measured;
    for (BandJudge& judge : judges_) measured.figures.push_back(judge.figures());
    for (const InterleaveWatch& watch : watches_)
      measured.interleave_breaks.push_back(watch.found());
    measured.corrugations = found_;
    measured.lowest = lowest_;
    measured.highest = highest_;
    measured.widest_pitch = widest_;
    measured.misread = misread_;
    measured.tolerance = tolerance_;
    return measured;
  }

 private:
  double metres_;
  std::vector<BandJudge> judges_;
  std::vector<InterleaveWatch> watches_;
  std::size_t count_;
  std::function<double(std::size_t)> written_;
  double tolerance_;
  std::size_t found_ = 0;
  double lowest_ = 0.0;
  double highest_ = 0.0;
  double last_peak_ = 0.0;
  std::optional<double> widest_;
  std::optional<WallMeasure::Misread> misread_;
};

// A radial face: consecutive steps between nodes at one z, in one direction.
struct Face {
  double z;
  double from;
  double to;
  bool rim;  // it starts at the wall's first node
  bool rising() const { return to > from; }
};

// Visits every node of `wall`'s profile, in the file's order or backwards, while `visit`
// returns true.
template <typename Visit>
void each_node(WrittenNodes& wall, bool backwards, Visit visit) {
  Nodes nodes{};
  // Visits the `n` nodes in `nodes`; false once `visit` returns false.
  const auto visit_all = [&](std::size_t n) {
    for (std::size_t m = 0; m < n; ++m) {
      if (!visit(nodes[backwards ? n - 1 - m : m])) return false;
    }
    return true;
  };
  const std::int64_t count = wall.corrugations();
  if (!visit_all(backwards ? wall.after(nodes) : wall.before(nodes))) return;
  for (std::int64_t step = 0; step < count; ++step) {
    const std::int64_t k = backwards ? count - 1 - step : step;
    if (!visit_all(wall.nodes(k, nodes))) return;
  }
  visit_all(backwards ? wall.before(nodes) : wall.after(nodes));
}

// The lower hull of the nodes, built as hornwall_view builds it: in rising z, and at one
// z in rising rho.
class HullBuilder {
 public:
  // Takes the nodes backwards, from the far end, in which order their z rises.
  void add(const Point& p) {
    if (!tied_.empty() && tied_.back().z != p.z) flush();
    tied_.push_back(p);
  }
  std::vector<Point> finish() {
    flush();
    return std::move(hull_);
  }

 private:
  void flush() {
    std::sort(tied_.begin(), tied_.end(),
              [](const Point& a, const Point& b) { return a.rho < b.rho; });
    for (const Point& p : tied_) extend_hull(hull_, p);
    tied_.clear();
  }
  std::vector<Point> tied_;  // the nodes at one z, not yet in the hull
  std::vector<Point> hull_;
};

// What hornwall_view's crossing check sees of a wall whose z never rises: the nodes less
// their near repeats (within the tolerance in both z and rho of the last one kept), where
// three kept in a row at one z that turn back in rho fold the wall onto itself.
class FoldWatch {
 public:
  explicit FoldWatch(double tolerance) : tolerance_(tolerance) {}
  // Takes the next node; false when it folds the wall.
  bool add(const Point& p) {
    if (kept_ > 0 && std::abs(p.z - last_.z) <= tolerance_ &&
        std::abs(p.rho - last_.rho) <= tolerance_) {
      return true;
    }
    const bool folds = kept_ >= 2 && before_.z == last_.z && p.z == last_.z &&
                       (last_.rho - before_.rho > 0) != (p.rho - last_.rho > 0);
    before_ = last_;
    last_ = p;
    ++kept_;
    return !folds;
  }

 private:
  double tolerance_;
  Point before_, last_;
  std::size_t kept_ = 0;
};

// The corrugations of a wall with radial faces, as hornwall_view pairs its faces: a step
// is a face when its ends lie at one z (within `z_within`) and apart in rho (by more than
// the tolerance); a rising face followed by a falling one is a corrugation as high as the
// rising face. The step from the wall's first node is its rim, a face of its own that
// starts no corrugation.
class FacePairs {
 public:
  FacePairs(Tally& tally, double z_within, double tolerance)
      : tally_(tally), z_within_(z_within), tolerance_(tolerance) {}
  void step(const Point& a, const Point& b) {
    const bool rim = steps_++ == 0;
    if (!is_face(a, b)) {
      joined_ = false;
      return;
    }
    if (joined_ && !current_->rim && current_->rising() == (b.rho > a.rho)) {
      current_->to = b.rho;
    } else {
      if (current_) pair(*current_);
      current_ = Face{a.z, a.rho, b.rho, rim};
    }
    joined_ = true;
  }
  void finish() {
    if (current_) pair(*current_);
  }
  bool is_face(const Point& a, const Point& b) const {
    return std::abs(b.z - a.z) <= z_within_ && std::abs(b.rho - a.rho) > tolerance_;
  }

 private:
  void pair(const Face& face) {
    if (pending_ && !pending_->rim && pending_->rising() && !face.rising()) {
      tally_.add(pending_->to - pending_->from, pending_->z);
      pending_.reset();
    } else {
      pending_ = face;
    }
  }
  Tally& tally_;
  double z_within_;
  double tolerance_;
  std::size_t steps_ = 0;
  bool joined_ = false;          // the last step was a face
  std::optional<Face> current_;  // the face being followed
  std::optional<Face> pending_;  // the last face, not yet paired
};

// The corrugations of a wall without radial faces, as hornwall_view finds them above the
// lower hull: a bump is a run of nodes above it by more than the tolerance, as high as the
// highest of them.
class Bumps {
 public:
  Bumps(Tally& tally, const std::vector<Point>& hull, double tolerance)
      : tally_(tally), hull_(hull), tolerance_(tolerance) {}
  void node(const Point& p) {
    if (hull_.size() < 2) return;  // no base to measure against: no corrugations
    const double height = p.rho - base_at(hull_, p.z);
    if (height <= tolerance_) {
      finish();
    } else if (!peak_ || height > height_) {
      peak_ = p;
      height_ = height;
    }
  }
  void finish() {
    if (peak_) tally_.add(height_, peak_->z);
    peak_.reset();
  }

 private:
  Tally& tally_;
  const std::vector<Point>& hull_;
  double tolerance_;
  std::optional<Point> peak_;  // the highest node so far of the bump being crossed
  double height_ = 0.0;        // its height above the hull
};

Result<WallMeasure> measure(WrittenNodes& wall, const Design& design) {
  const std::string unit = " " + design.request.unit;
  // Backwards the nodes come in rising z, as hornwall_view sorts them for the hull, as
  // long as z never rises along the wall.
  double largest = wall.elsewhere();  // of every coordinate of the file
  double largest_z = 0.0;             // of z alone, in the profile
  bool finite = true;
  std::optional<Point> rise;   // a node after which z rises along the wall
  std::optional<Point> after;  // the node after, along the wall
  HullBuilder hull_builder;
  each_node(wall, true, [&](const Point& p) {
    finite = finite && std::isfinite(p.z) && std::isfinite(p.rho);
    largest = std::max({largest, std::abs(p.z), std::abs(p.rho)});
    largest_z = std::max(largest_z, std::abs(p.z));
    if (after && after->z > p.z) rise = p;
    after = p;
    hull_builder.add(p);
    return true;
  });
  if (!finite) {
    return Reason{
        "the wall's nodes do not all evaluate to finite numbers: its lengths are too "
        "small or too large for the generator's single precision"};
  }
  if (rise) {
    return Reason{"the wall as written runs back towards the aperture after z " +
                  figure_text(rise->z) + unit};
  }
  const std::vector<Point> hull = hull_builder.finish();
  // hornwall_view tells apart a millionth of the largest coordinate, and in the z of a
  // radial face a millionth of the largest z: its ends are written from the same
  // expressions, and agree to the last digits of z whatever the radii.
  const double tolerance = 1e-6 * largest;
  const double z_within = 1e-6 * largest_z;

  Tally tally(
      design.bands, design.request.min_coverage, *metres_per_unit(design.request.unit),
      static_cast<std::size_t>(wall.corrugations()),
      [&wall](std::size_t k) { return wall.height(static_cast<std::int64_t>(k)); }, tolerance);
  FacePairs faces(tally, z_within, tolerance);
  Bumps bumps(tally, hull, tolerance);
  FoldWatch folds(tolerance);

  // Whether the wall has a radial face: then hornwall_view measures it by its faces.
  bool faced = false;
  std::optional<Point> previous;
  each_node(wall, false, [&](const Point& p) {
    faced = previous && faces.is_face(*previous, p);
    previous = p;
    return !faced;
  });

  std::optional<std::string> fault;
  previous.reset();
  each_node(wall, false, [&](const Point& p) {
    if (p.rho < -tolerance) {
      fault = "the wall as written has a negative radius at z " + figure_text(p.z) + unit;
    } else if (!folds.add(p)) {
      fault = "the wall as written folds back onto itself at z " + figure_text(p.z) + unit;
    }
    if (faced && previous) faces.step(*previous, p);
    if (!faced) bumps.node(p);
    previous = p;
    return !fault;
  });
  if (!fault) fault = wall.fault_elsewhere(tolerance, unit);
  if (fault) return Reason{*fault};
  faces.finish();
  bumps.finish();
  WallMeasure measured = tally.measure();
  measured.largest = largest;
  return measured;
}

}  // namespace

std::string answer_real(double value) { return length_answer(value); }

std::string figure_text(double value) {
  std::string text;
  append_general(text, value, 6);
  return text;
}

std::string length_text(double value) { return answer_real(read_double(figure_text(value)).value); }

double round_to_digits(double value, int digits, Towards towards) {
  if (value == 0.0 || !std::isfinite(value)) return value;
  const bool negative = value < 0.0;
  const double magnitude = std::abs(value);
  std::string text;
  append_scientific(text, magnitude, digits - 1);
  const char* const end = text.data() + text.size();
  // A negative value goes up towards zero: its magnitude goes down.
  const bool larger = (towards == Towards::up) != negative;
  const std::optional<double> near = read_digits(text);
  if (near && (larger ? *near >= magnitude : *near <= magnitude)) {
    return negative ? -*near : *near;
  }
  // A number so near the ends of the doubles that it has no neighbour of those digits on
  // its side stays as it is.
  const std::optional<double> next =
      near || !larger ? next_in_digits(text.data(), end, digits, larger ? 1 : -1) : std::nullopt;
  if (!next) return value;
  return negative ? -*next : *next;
}

float generator_reads(double value) { return read_float(answer_real(value)).value; }

double viewer_reads(float value, bool six) {
  std::array<char, sci_width> field{};
  if (six) {
    write_sci12_5(field.data(), value);
  } else {
    write_sci12_4(field.data(), value);
  }
  const std::string_view text(field.data(), field.size());
  return read_double(text.substr(text.find_first_not_of(' '))).value;
}

float answer_read(const Design& design, std::string_view symbol) {
  const auto found = design.values.find(symbol);
  return found == design.values.end() ? 0.0f : generator_reads(found->second);
}

double field_read(const Design& design, std::string_view symbol) {
  return viewer_reads(answer_read(design, symbol));
}

WrittenBaseLine::WrittenBaseLine(const Design& design) {
  const float rw1_read = answer_read(design, "RW1");
  const float rw2_read = answer_read(design, "RW2");
  const float zw2_read = answer_read(design, "ZW2");
  rw1 = viewer_reads(rw1_read);
  rd = viewer_reads(
      static_cast<float>(static_cast<double>(rw2_read) - static_cast<double>(rw1_read)));
  zd = viewer_reads(static_cast<float>(static_cast<double>(zw2_read) - 0.0));
  zw2 = viewer_reads(zw2_read);
}

Result<void> check_readable(const Design& design) {
  const AnswersSchema& schema = *design.request.wall->program->answers;
  const auto passes = static_cast<std::int64_t>(design.variable);
  for (const AskedQuestion& asked : questions_asked(schema, design.bands.size() == 2, passes)) {
    for (std::size_t v = 0; v < asked.question->value_count; ++v) {
      if (asked.question->values[v].kind != ValueKind::length) continue;
      const std::string symbol = symbol_of(*asked.question, v, asked.symbol_pass);
      const auto found = design.values.find(symbol);
      if (found == design.values.end() || std::abs(found->second) <= largest_readable) continue;
      return Reason{symbol + " would be " + figure_text(found->second) + " " + design.request.unit +
                    ", more than the generators read, " + shortest_text(largest_readable)};
    }
  }
  return {};
}

Result<WallMeasure> measure_written_wall(const Design& design) {
  const std::unique_ptr<WrittenNodes> wall = design.request.wall->written(design);
  return measure(*wall, design);
}

}  // namespace hornwall::design

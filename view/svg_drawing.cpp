#include "hornwall/view/svg_drawing.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "hornwall/number_text.hpp"
#include "hornwall/text.hpp"
#include "hornwall/view/corrugations.hpp"
#include "hornwall/view/diagnostics.hpp"
#include "hornwall/view/output_text.hpp"

namespace hornwall::view {
namespace {

constexpr std::array<std::string_view, 8> colours = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                                                     "#9467bd", "#8c564b", "#e377c2", "#17becf"};
constexpr double widest_plot = 960.0;  // the largest plot area, in picture units
constexpr double tallest_plot = 640.0;
constexpr double margin_left = 80.0;
constexpr double margin_right = 30.0;
constexpr double margin_top = 40.0;
constexpr double margin_bottom = 60.0;
constexpr double legend_row = 18.0;
constexpr std::size_t most_dots = 200;  // a profile with more nodes is drawn without dots
constexpr int most_ticks = 20;

constexpr std::string_view grid_style = "stroke=\"#e4e4e4\" stroke-width=\"1\"";
constexpr std::string_view tick_style = "stroke=\"#444\" stroke-width=\"1\"";
constexpr std::string_view axis_style =
    "stroke=\"#555\" stroke-width=\"1\" stroke-dasharray=\"8 4\"";
constexpr std::string_view aperture_style =
    "stroke=\"#555\" stroke-width=\"1\" stroke-dasharray=\"3 3\"";
constexpr std::string_view marking_fill = " fill=\"#555\"";

// The data window of the picture and its mapping to picture units. Differences of
// coordinates are taken in halves, (z / 2 - z_low / 2), which cannot overflow however
// far apart two finite values lie.
struct Frame : Extent {
  double z_half = 0.0, rho_half = 0.0;  // half the width and half the height of the window
  double per_half = 1.0;                // picture units per half data unit
  double x(double z) const { return margin_left + (z / 2.0 - z_low / 2.0) * per_half; }
  double y(double rho) const { return margin_top + (rho_high / 2.0 - rho / 2.0) * per_half; }
  double plot_width() const { return z_half * per_half; }
  double plot_height() const { return rho_half * per_half; }
};

// Text for XML: markup characters escaped; bytes outside printable ASCII become '?', so
// that the picture stays well-formed whatever a file name holds.
void append_text(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += (c >= ' ' && c <= '~') ? c : '?';
    }
  }
}

// An attribute of an element: a coordinate or size, written with two decimals, or a text.
struct Attribute {
  std::string_view name;
  std::variant<double, std::string_view> value;
};

// The elements of the picture, appended to a text as SVG.
class Svg {
 public:
  explicit Svg(std::string& out) : out_(out) {}

  // <TAG NAME="VALUE"... EXTRA/>, EXTRA being further attributes as written.
  void element(std::string_view tag, std::initializer_list<Attribute> attributes,
               std::string_view extra = {}) {
    open(tag, attributes, extra);
    out_ += "/>\n";
  }
  void line(double x1, double y1, double x2, double y2, std::string_view style) {
    std::string extra(1, ' ');
    extra += style;
    element("line", {{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}}, extra);
  }
  // <text ...>TEXT</text>, anchored at (x, y).
  void label(double x, double y, std::string_view anchor, std::string_view text,
             std::string_view extra = {}) {
    open("text", {{"x", x}, {"y", y}, {"text-anchor", anchor}}, extra);
    out_ += '>';
    append_text(out_, text);
    out_ += "</text>\n";
  }

 private:
  void open(std::string_view tag, std::initializer_list<Attribute> attributes,
            std::string_view extra) {
    out_ += '<';
    out_ += tag;
    for (const Attribute& attribute : attributes) {
      out_ += ' ';
      out_ += attribute.name;
      out_ += "=\"";
      if (const double* number = std::get_if<double>(&attribute.value)) {
        append_fixed(out_, *number);
      } else {
        append_text(out_, std::get<std::string_view>(attribute.value));
      }
      out_ += '"';
    }
    out_ += extra;
  }

  std::string& out_;
};

// True when `low` and `high` differ by less than the smallest normal double, but not
// by nothing: no scale can spread them over the picture.
bool too_close(double low, double high) {
  const double span = high - low;
  return span > 0.0 && span < std::numeric_limits<double>::min();
}

// The window that holds every evaluated node, the axis and the aperture plane with a
// margin, or nothing when the nodes lie too far apart or too close together for any
// finite scale.
std::optional<Frame> frame_of(const Wall& wall, bool mirror) {
  Frame frame;
  static_cast<Extent&>(frame) = extent_of(wall, mirror);
  if (too_close(frame.z_low, frame.z_high) || too_close(frame.rho_low, frame.rho_high)) {
    return std::nullopt;
  }
  double half =
      std::max(frame.z_high / 2.0 - frame.z_low / 2.0, frame.rho_high / 2.0 - frame.rho_low / 2.0);
  if (half == 0.0) half = 0.5;
  if (frame.z_high == frame.z_low) frame.z_low = frame.z_low - half - half;
  if (frame.rho_high == frame.rho_low) frame.rho_high = frame.rho_high + half + half;
  const double pad = 0.06 * half;  // 3 % of the larger span on each side
  frame.z_low -= pad;
  frame.z_high += pad;
  frame.rho_low -= pad;
  frame.rho_high += pad;
  frame.z_half = frame.z_high / 2.0 - frame.z_low / 2.0;
  frame.rho_half = frame.rho_high / 2.0 - frame.rho_low / 2.0;
  frame.per_half = std::min(widest_plot / frame.z_half, tallest_plot / frame.rho_half);
  const bool finite = std::isfinite(frame.z_low) && std::isfinite(frame.z_high) &&
                      std::isfinite(frame.rho_low) && std::isfinite(frame.rho_high);
  if (!finite || !std::isnormal(frame.z_half) || !std::isnormal(frame.rho_half) ||
      !std::isnormal(frame.per_half)) {
    return std::nullopt;
  }
  return frame;
}

// The window of a wall that cannot be drawn: the unit square behind the aperture.
Frame empty_frame() {
  Frame frame;
  frame.z_low = -1.06;
  frame.z_high = 0.06;
  frame.rho_low = -0.06;
  frame.rho_high = 1.06;
  frame.z_half = frame.rho_half = 0.56;
  frame.per_half = tallest_plot / frame.rho_half;
  return frame;
}

// A step of 1, 2 or 5 times a power of ten that cuts a span of twice `half` into at
// most about 8 parts.
double tick_step(double half) {
  const double rough = half / 4.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (factor * power >= rough) return factor * power;
  }
  return 10.0 * power;
}

// The name of a vertical axis, turned to read upwards, left of the plot at the height
// `middle`.
void side_label(Svg& svg, double middle, std::string_view text) {
  std::string turn = " transform=\"rotate(-90 ";
  append_fixed(turn, margin_left - 55.0);
  turn += ' ';
  append_fixed(turn, middle);
  turn += ")\"";
  svg.label(margin_left - 55.0, middle, "middle", text, turn);
}

// The z ticks of `frame` from `top` to `bottom`: a grid line each, a tick and its label
// under `bottom`.
void draw_z_ticks(Svg& svg, const Frame& frame, double top, double bottom) {
  const double z_step = tick_step(frame.z_half);
  const double z_first = std::ceil(frame.z_low / z_step);
  for (int i = 0; i <= most_ticks && (z_first + i) * z_step <= frame.z_high; ++i) {
    const double k = z_first + i;
    const double x = frame.x(k * z_step);
    svg.line(x, top, x, bottom, grid_style);
    svg.line(x, bottom, x, bottom + 5.0, tick_style);
    svg.label(x, bottom + 18.0, "middle", short_number(k * z_step + 0.0));
  }
}

// An axis's name with its unit: "z (mm)", or "z" for none.
std::string axis_name(std::string_view name, std::string_view unit) {
  std::string text(name);
  if (unit.empty()) return text;
  text += " (";
  text += unit;
  text += ')';
  return text;
}

void draw_ticks(Svg& svg, const Frame& frame, std::string_view unit) {
  const double bottom = frame.y(frame.rho_low);
  const double right = frame.x(frame.z_high);
  draw_z_ticks(svg, frame, margin_top, bottom);
  const double rho_step = tick_step(frame.rho_half);
  const double rho_first = std::ceil(frame.rho_low / rho_step);
  for (int i = 0; i <= most_ticks && (rho_first + i) * rho_step <= frame.rho_high; ++i) {
    const double k = rho_first + i;
    const double y = frame.y(k * rho_step);
    svg.line(margin_left, y, right, y, grid_style);
    svg.line(margin_left - 5.0, y, margin_left, y, tick_style);
    svg.label(margin_left - 8.0, y + 4.0, "end", short_number(k * rho_step + 0.0));
  }
  svg.label(margin_left + frame.plot_width() / 2.0, bottom + 38.0, "middle", axis_name("z", unit));
  side_label(svg, margin_top + frame.plot_height() / 2.0, axis_name("rho", unit));
}

void draw_axis_and_aperture(Svg& svg, const Frame& frame) {
  const double axis = frame.y(0.0);
  const double aperture = frame.x(0.0);
  svg.line(margin_left, axis, frame.x(frame.z_high), axis, axis_style);
  svg.label(margin_left + 4.0, axis - 4.0, "start", "axis", marking_fill);
  svg.line(aperture, margin_top, aperture, frame.y(frame.rho_low), aperture_style);
  svg.label(aperture - 4.0, margin_top + 14.0, "end", "aperture", marking_fill);
}

// Draws one profile as polylines broken where nodes are missing; `sign` -1 mirrors it.
// The text is handed to `sink` whenever it grows large.
void draw_profile(std::string& out, std::ostream& sink, const Frame& frame, const Profile& profile,
                  std::string_view colour, double sign) {
  const std::string start = "<polyline fill=\"none\" stroke=\"" + std::string(colour) +
                            "\" stroke-width=\"1.5\"" +
                            (sign < 0 ? " stroke-opacity=\"0.45\"" : "") + " points=\"";
  bool open = false;
  for (const Node& node : profile.nodes) {
    if (!node.ok) {
      if (open) out += "\"/>\n";
      open = false;
      continue;
    }
    out += open ? " " : start;
    open = true;
    append_fixed(out, frame.x(node.z));
    out += ',';
    append_fixed(out, frame.y(sign * node.rho));
    write_out_when_large(out, sink);
  }
  if (open) out += "\"/>\n";
  if (sign < 0 || profile.nodes.size() > most_dots) return;
  Svg svg(out);
  for (const Node& node : profile.nodes) {
    if (!node.ok) continue;
    svg.element("circle", {{"cx", frame.x(node.z)}, {"cy", frame.y(node.rho)}},
                " r=\"2.5\" fill=\"" + std::string(colour) + "\"");
  }
}

// Appends `value` with two decimals, rounded as the library's fixed form rounds them:
// to nearest, ties to even, from the exact binary value. The exact hundredfold value is
// the rounded product and its rounding error, which tell on which side of a half it lies.
// Returns false for a value too large for this way.
bool append_hundredths(std::string& out, double value) {
  const double hundredfold = value * 100.0;
  if (!(std::abs(hundredfold) < 0x1p52)) return false;
  const double error = std::fma(value, 100.0, -hundredfold);
  double whole = std::floor(hundredfold);
  const double above_half = (hundredfold - whole) - 0.5;  // exact below 2^52
  const bool up = above_half > 0.0 || (above_half == 0.0 && error > 0.0) ||
                  (above_half == 0.0 && error == 0.0 && std::fmod(whole, 2.0) != 0.0);
  if (up) whole += 1.0;
  const auto hundredths = static_cast<std::int64_t>(std::abs(whole));
  if (std::signbit(value)) out += '-';
  std::array<char, 24> digits{};
  const auto written =
      std::to_chars(digits.data(), digits.data() + digits.size(), hundredths / 100);
  out.append(digits.data(), written.ptr);
  out += '.';
  out += static_cast<char>('0' + hundredths % 100 / 10);
  out += static_cast<char>('0' + hundredths % 10);
  return true;
}

constexpr double panel_height = 240.0;
constexpr double panel_below = 50.0;   // under the panel: its z ticks and their name
constexpr double coverage_gap = 40.0;  // between the panel and the coverage plot
constexpr double coverage_width = 160.0;
constexpr double band_label_width = 90.0;  // right of the coverage plot
constexpr std::size_t most_bars = 5000;
constexpr std::size_t most_curves = colours.size();  // corrugated profiles with a coverage curve
constexpr std::array<std::string_view, 2> band_shades = {"#e8eef7", "#f7eee4"};
constexpr std::string_view band_edge_style =
    "stroke=\"#777\" stroke-width=\"1\" stroke-dasharray=\"6 3\"";
constexpr std::string_view threshold_style =
    "stroke=\"#b22\" stroke-width=\"1.2\" stroke-dasharray=\"4 3\"";

// The frequency axis of the band panel, in hertz, mapped to picture units from `top` down.
struct FrequencyAxis {
  double low = 0.0, high = 1.0, top = 0.0;
  double y(double hertz) const { return top + panel_height * (high - hertz) / (high - low); }
};

FrequencyAxis frequency_axis(const Wall& wall, std::span<const FrequencyBand> bands, double top) {
  const FrequencyRange range = band_panel_range(wall, bands);
  return {range.low, range.high, top};
}

// Whether a corrugation `height` metres high opens and closes its windows more than once
// per unit of the panel's height: one window and the gap after it span c / 2h hertz.
bool windows_finer_than_the_panel(double height, const FrequencyAxis& axis) {
  return height > 0.0 &&
         2.0 * quarter_wave_frequency(height) < (axis.high - axis.low) / panel_height;
}

// The frequency ticks left of the panel.
void draw_frequency_ticks(Svg& svg, const FrequencyAxis& axis) {
  const double step = tick_step((axis.high - axis.low) / 2.0e9) * 1e9;
  const double first = std::ceil(axis.low / step);
  for (int i = 0; i <= most_ticks && (first + i) * step <= axis.high; ++i) {
    const double k = first + i;
    const double y = axis.y(k * step);
    svg.line(margin_left - 5.0, y, margin_left, y, tick_style);
    svg.label(margin_left - 8.0, y + 4.0, "end", short_number(k * step / 1e9 + 0.0));
  }
}

// The bars: each corrugation coloured at the frequencies at which it is capacitive.
void draw_bars(std::string& out, std::ostream& sink, const Frame& frame, const Wall& wall,
               const FrequencyAxis& axis) {
  Svg svg(out);
  std::size_t bars = 0;
  for (const Profile& profile : wall.profiles) bars += profile.corrugations.size();
  if (bars > most_bars) {
    svg.label(margin_left + 8.0, axis.top + panel_height / 2.0, "start",
              std::to_string(bars) + " corrugations: too many to draw one by one", marking_fill);
    return;
  }
  for (std::size_t p = 0; p < wall.profiles.size(); ++p) {
    const Profile& profile = wall.profiles[p];
    const std::optional<double> metres = metres_per_unit(profile.unit);
    if (!metres) continue;
    const std::string fill = " fill=\"" + std::string(colours[p % colours.size()]) + "\"";
    for (const Corrugation& corrugation : profile.corrugations) {
      const double x_low = frame.x(std::min(corrugation.z_near, corrugation.z_far));
      const double width =
          std::max(frame.x(std::max(corrugation.z_near, corrugation.z_far)) - x_low, 1.0);
      const double height = corrugation.height * *metres;
      if (windows_finer_than_the_panel(height, axis)) {
        // Capacitive half the time, in windows closer than the drawing can part.
        svg.element(
            "rect",
            {{"x", x_low}, {"y", axis.y(axis.high)}, {"width", width}, {"height", panel_height}},
            fill + " fill-opacity=\"0.5\"");
      } else {
        for (const FrequencyRange& range : capacitive_ranges(height, axis.low, axis.high)) {
          svg.element("rect",
                      {{"x", x_low},
                       {"y", axis.y(range.high)},
                       {"width", width},
                       {"height", axis.y(range.low) - axis.y(range.high)}},
                      fill);
        }
      }
      write_out_when_large(out, sink);
    }
  }
}

// The band panel and the coverage plot beside it share the frequency axis: the bands
// shaded with their edges as lines, both panels framed.
void draw_bands_across(Svg& svg, std::span<const FrequencyBand> bands, const FrequencyAxis& axis,
                       double left, double right) {
  for (std::size_t b = 0; b < bands.size(); ++b) {
    const double y_high = axis.y(bands[b].high), y_low = axis.y(bands[b].low);
    svg.element("rect",
                {{"x", left}, {"y", y_high}, {"width", right - left}, {"height", y_low - y_high}},
                " fill=\"" + std::string(band_shades[b % band_shades.size()]) + "\"");
  }
}

void draw_band_edges(Svg& svg, std::span<const FrequencyBand> bands, const FrequencyAxis& axis,
                     double left, double right) {
  for (const FrequencyBand& band : bands) {
    for (const double edge : {band.low, band.high}) {
      svg.line(left, axis.y(edge), right, axis.y(edge), band_edge_style);
    }
  }
}

// The coverage plot: for each corrugated profile (the first most_curves), the part of its
// corrugations that are capacitive against frequency, thin over the whole axis and thick
// over each band's own judged frequencies; the threshold as a line; each band's worst
// point marked.
void draw_coverage(Svg& svg, const Wall& wall, std::span<const FrequencyBand> bands,
                   const FrequencyAxis& axis, double left, double min_coverage) {
  const auto x = [&](double part) { return left + coverage_width * part; };
  for (const double percent : {0.0, 25.0, 50.0, 75.0, 100.0}) {
    const double at = x(percent / 100.0);
    svg.line(at, axis.top, at, axis.top + panel_height, grid_style);
    svg.line(at, axis.top + panel_height, at, axis.top + panel_height + 5.0, tick_style);
    svg.label(at, axis.top + panel_height + 18.0, "middle", short_number(percent));
  }
  svg.label(x(0.5), axis.top + panel_height + 38.0, "middle", "coverage (%)");
  std::size_t curves = 0, corrugated = 0;
  std::string points;
  const auto curve = [&](const CoverageCounter& counter, std::string_view style) {
    const Coverage& coverage = counter.coverage();
    points.clear();
    for (std::size_t i = 0; i < band_samples; ++i) {
      if (!points.empty()) points += ' ';
      append_fixed(points, x(static_cast<double>(coverage.counts[i]) /
                             static_cast<double>(coverage.corrugations)));
      points += ',';
      append_fixed(points, axis.y(counter.band().sample(i)));
    }
    svg.element("polyline", {{"points", std::string_view(points)}}, style);
  };
  std::optional<CoverageCounter> whole;
  std::vector<CoverageCounter> judged(bands.begin(), bands.end());
  for (std::size_t p = 0; p < wall.profiles.size(); ++p) {
    const Profile& profile = wall.profiles[p];
    const std::optional<double> metres = metres_per_unit(profile.unit);
    if (!metres || profile.corrugations.empty() || profile.bands.size() != bands.size()) continue;
    if (++corrugated > most_curves) continue;
    ++curves;
    const std::string colour(colours[p % colours.size()]);
    if (!whole) whole.emplace(FrequencyBand{axis.low, axis.high});
    count_band(*whole, profile, *metres);
    curve(*whole,
          " fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1\" stroke-opacity=\"0.6\"");
    for (std::size_t b = 0; b < bands.size(); ++b) {
      count_band(judged[b], profile, *metres);
      curve(judged[b], " fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"2.5\"");
      const BandFigures& figures = profile.bands[b];
      svg.element(
          "circle",
          {{"cx", x(figures.worst())}, {"cy", axis.y(bands[b].sample(figures.coverage.fewest_at))}},
          " r=\"4\" fill=\"white\" stroke=\"" + colour + "\" stroke-width=\"2\"");
    }
  }
  const double threshold = x(min_coverage / 100.0);
  svg.line(threshold, axis.top, threshold, axis.top + panel_height, threshold_style);
  svg.label(threshold, axis.top - 6.0, "middle", "at least " + shortest_text(min_coverage) + "%",
            " fill=\"#b22\"");
  if (corrugated > curves) {
    svg.label(x(0.0), axis.top + panel_height + 52.0, "start",
              "the first " + std::to_string(curves) + " of " + std::to_string(corrugated) +
                  " corrugated profiles drawn",
              marking_fill);
  }
  svg.element("rect",
              {{"x", left}, {"y", axis.top}, {"width", coverage_width}, {"height", panel_height}},
              " fill=\"none\" stroke=\"#999\"");
}

// The bands' names right of the coverage plot, each at its band's middle, moved down
// where it would meet the one above.
void draw_band_names(Svg& svg, std::span<const FrequencyBand> bands, const FrequencyAxis& axis,
                     double left) {
  std::vector<std::pair<double, std::string>> names;
  for (const FrequencyBand& band : bands)
    names.emplace_back(axis.y((band.low + band.high) / 2.0) + 4.0, band.label());
  std::sort(names.begin(), names.end());
  double free_from = axis.top - 100.0;
  for (auto& [y, name] : names) {
    y = std::max(y, free_from);
    svg.label(left, y, "start", name, marking_fill);
    free_from = y + 16.0;
  }
}

// The panel under the wall and the coverage plot right of it: frequency upwards, on the
// wall's z axis (its ticks under the panel).
void draw_band_panel(std::string& out, std::ostream& sink, const Frame& frame, const Wall& wall,
                     const DrawingOptions& options, std::string_view unit, double top) {
  Svg svg(out);
  const std::span<const FrequencyBand> bands = options.bands;
  const FrequencyAxis axis = frequency_axis(wall, bands, top);
  const double right = frame.x(frame.z_high);
  const double coverage_left = right + coverage_gap;
  draw_bands_across(svg, bands, axis, margin_left, right);
  draw_bands_across(svg, bands, axis, coverage_left, coverage_left + coverage_width);
  draw_z_ticks(svg, frame, top, top + panel_height);
  draw_frequency_ticks(svg, axis);
  draw_bars(out, sink, frame, wall, axis);
  draw_band_edges(svg, bands, axis, margin_left, right);
  draw_band_edges(svg, bands, axis, coverage_left, coverage_left + coverage_width);
  svg.element(
      "rect",
      {{"x", margin_left}, {"y", top}, {"width", frame.plot_width()}, {"height", panel_height}},
      " fill=\"none\" stroke=\"#999\"");
  side_label(svg, top + panel_height / 2.0, "frequency (GHz)");
  svg.label(margin_left + frame.plot_width() / 2.0, top + panel_height + 38.0, "middle",
            axis_name("z", unit));
  draw_coverage(svg, wall, bands, axis, coverage_left, options.min_coverage);
  draw_band_names(svg, bands, axis, coverage_left + coverage_width + 8.0);
}

// True when the picture has a band panel: bands were given and a profile has corrugations.
bool has_band_panel(const Wall& wall, std::span<const FrequencyBand> bands) {
  if (bands.empty()) return false;
  return std::any_of(wall.profiles.begin(), wall.profiles.end(),
                     [](const Profile& profile) { return !profile.corrugations.empty(); });
}

// The picture's title: the file's name, and with bands, the bands and the verdict.
std::string title_of(const DrawingOptions& options) {
  std::string title(options.title);
  if (options.bands.empty()) return title;
  title += options.bands.size() == 1 ? ", band " : ", bands ";
  for (std::size_t b = 0; b < options.bands.size(); ++b) {
    if (b > 0) title += " and ";
    title += options.bands[b].label();
  }
  if (!options.verdict.empty()) title += ": " + std::string(options.verdict);
  return title;
}

}  // namespace

void append_fixed(std::string& out, double value) {
  if (std::isfinite(value) && append_hundredths(out, value)) return;
  // A value whose two decimals take more than 32 characters (beyond about 1e29) is drawn
  // as 0, as no picture can place it anyway.
  std::string text;
  if (std::isfinite(value)) hornwall::append_fixed(text, value, 2);
  out += text.empty() || text.size() > 32 ? std::string_view("0") : std::string_view(text);
}

FrequencyRange band_panel_range(const Wall& wall, std::span<const FrequencyBand> bands) {
  if (bands.empty()) return {0.0, 0.0};
  double bottom = bands.front().low, ceiling = bands.front().high;
  for (const FrequencyBand& band : bands) {
    bottom = std::min(bottom, band.low);
    ceiling = std::max(ceiling, band.high);
  }
  const double floor_limit = (1.0 - most_shift) * bottom;
  const double ceiling_limit = (1.0 + most_shift) * ceiling;
  double low = bottom, high = ceiling;
  for (const Profile& profile : wall.profiles) {
    const std::optional<double> metres = metres_per_unit(profile.unit);
    if (!metres || profile.bands.size() != bands.size()) continue;
    for (std::size_t b = 0; b < bands.size(); ++b) {
      const BandFigures& figures = profile.bands[b];
      if (!figures.meets) continue;
      low = std::min(low, bands[b].low * (1.0 - figures.down));
      high = std::max(high, bands[b].high * (1.0 + figures.up));
    }
    for (const Corrugation& corrugation : profile.corrugations) {
      const bool serves =
          std::any_of(corrugation.capacitive.begin(),
                      corrugation.capacitive.begin() + static_cast<std::ptrdiff_t>(bands.size()),
                      [](std::uint16_t samples) { return samples > 0; });
      if (serves) low = std::min(low, quarter_wave_frequency(corrugation.height * *metres));
    }
  }
  low = std::max(low, floor_limit);
  high = std::min(high, ceiling_limit);
  return {0.95 * low, 1.05 * high};
}

bool fits_picture(const Wall& wall, bool mirror) { return frame_of(wall, mirror).has_value(); }

void write_svg(const Wall& wall, const DrawingOptions& options, std::ostream& out) {
  const std::optional<Frame> fitted = frame_of(wall, options.mirror);
  const Frame frame = fitted ? *fitted : empty_frame();
  std::string_view unit;
  for (const Profile& profile : wall.profiles) {
    if (unit.empty()) unit = profile.unit;
  }
  const bool panel = fitted && has_band_panel(wall, options.bands);
  // The panel's frequency labels and the threshold's name stand above it.
  const double panel_top = margin_top + frame.plot_height() + margin_bottom + (panel ? 20.0 : 0.0);
  const double legend_top = panel_top + 10.0 + (panel ? panel_height + panel_below : 0.0);
  const double beside = panel ? coverage_gap + coverage_width + band_label_width : 0.0;
  const double width = std::max(margin_left + frame.plot_width() + beside + margin_right, 400.0);
  const std::string title = title_of(options);
  const double height = legend_top + legend_row * static_cast<double>(wall.profiles.size()) + 10.0;

  std::string text;
  Svg svg(text);
  text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
  text += " width=\"";
  append_fixed(text, width);
  text += "\" height=\"";
  append_fixed(text, height);
  text += "\" viewBox=\"0 0 ";
  append_fixed(text, width);
  text += ' ';
  append_fixed(text, height);
  text += "\" font-family=\"sans-serif\" font-size=\"12\">\n<title>";
  append_text(text, title);
  text += "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg.label(margin_left, 24.0, "start", title, " font-size=\"14\"");
  draw_ticks(svg, frame, unit);
  svg.element("rect",
              {{"x", margin_left},
               {"y", margin_top},
               {"width", frame.plot_width()},
               {"height", frame.plot_height()}},
              " fill=\"none\" stroke=\"#999\"");
  draw_axis_and_aperture(svg, frame);
  if (panel) draw_band_panel(text, out, frame, wall, options, unit, panel_top);

  for (std::size_t p = 0; p < wall.profiles.size(); ++p) {
    const Profile& profile = wall.profiles[p];
    const std::string_view colour = colours[p % colours.size()];
    if (fitted) {
      draw_profile(text, out, frame, profile, colour, 1.0);
      if (options.mirror) draw_profile(text, out, frame, profile, colour, -1.0);
    }
    const double y = legend_top + legend_row * static_cast<double>(p);
    svg.line(margin_left, y - 4.0, margin_left + 24.0, y - 4.0,
             "stroke=\"" + std::string(colour) + "\" stroke-width=\"3\"");
    const std::size_t drawn = fitted ? profile.nodes.size() - profile.missing : 0;
    svg.label(margin_left + 30.0, y, "start",
              profile.name + " (" + std::to_string(drawn) + " nodes)");
  }
  text += "</svg>\n";
  out << text;
}

}  // namespace hornwall::view

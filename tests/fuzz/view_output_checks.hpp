#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "hornwall/view/corrugation_table.hpp"
#include "hornwall/view/dxf_drawing.hpp"
#include "hornwall/view/json_report.hpp"
#include "hornwall/view/node_table.hpp"
#include "hornwall/view/summary.hpp"
#include "hornwall/view/svg_drawing.hpp"
#include "hornwall/view/view.hpp"

// Strict readers of what hornwall_view writes: its messages, its picture, its node table,
// its summary, its JSON report and its DXF drawing. Each returns "" when the text has the
// form the viewer promises, or why it has not, with the byte or line where it goes wrong.
// output_fault() views a text and reads back all six; the fuzz target stops on any reason it gives,
// and the unit tests run it over the fuzz corpus and show that each reader refuses what it must.
namespace hornwall::view::output_checks {

namespace detail {

inline std::string at_byte(std::size_t at, std::string_view what) {
  return "at byte " + std::to_string(at) + ": " + std::string(what);
}

inline std::string at_line(std::size_t line, std::string_view what) {
  return "line " + std::to_string(line) + ": " + std::string(what);
}

inline bool is_printable(char c) { return c >= ' ' && c <= '~'; }

// Reads a whole unsigned decimal without leading zeros at the front of `text`; false
// when there is none.
inline bool take_count(std::string_view& text, std::uint64_t& count) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  if (text.front() == '0' && text.size() > 1 && text[1] >= '0' && text[1] <= '9') return false;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), count);
  if (read.ec != std::errc()) return false;
  text.remove_prefix(static_cast<std::size_t>(read.ptr - text.data()));
  return true;
}

inline bool take(std::string_view& text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

// The lines of `text`, which must be empty or end with a line end.
inline bool split_lines(std::string_view text, std::vector<std::string_view>& lines) {
  if (!text.empty() && text.back() != '\n') return false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  return true;
}

}  // namespace detail

// What the messages hold, by severity: the message lines written, and the findings that a
// note counts without showing them.
struct MessageTally {
  std::uint64_t error_lines = 0;
  std::uint64_t warning_lines = 0;
  std::uint64_t noted_errors = 0;
  std::uint64_t noted_warnings = 0;
};

// Reads `messages`, written for the object file `file` whose lines run from 1 to
// `last_line`: lines of printable ASCII only, each "FILE:LINE: error: TEXT" or
// "FILE:LINE: warning: TEXT" with LINE in the file, in the order of their lines, then
// only notes "FILE: note: N more errors of this kind not shown: WHAT" (or "warnings"),
// each N at least 1. Counts what it reads into `tally`.
inline std::string message_fault(std::string_view messages, std::string_view file,
                                 std::uint64_t last_line, MessageTally& tally) {
  using namespace detail;
  tally = {};
  std::vector<std::string_view> lines;
  if (!split_lines(messages, lines)) return "the messages do not end with a line end";
  std::uint64_t previous = 1;
  bool notes = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (!std::all_of(line.begin(), line.end(), is_printable)) {
      return at_line(i + 1, "a byte outside printable ASCII");
    }
    if (!take(line, file)) return at_line(i + 1, "does not begin with the file name");
    if (take(line, ": note: ")) {
      notes = true;
      std::uint64_t more = 0;
      if (!take_count(line, more) || more == 0) return at_line(i + 1, "a note without a count");
      const bool errors = take(line, " more errors");
      if (!errors && !take(line, " more warnings")) return at_line(i + 1, "a note of no severity");
      if (!take(line, " of this kind not shown: ") || line.empty()) {
        return at_line(i + 1, "a note without its kind");
      }
      (errors ? tally.noted_errors : tally.noted_warnings) += more;
      continue;
    }
    if (notes) return at_line(i + 1, "a message after the notes");
    std::uint64_t number = 0;
    if (!take(line, ":") || !take_count(line, number)) {
      return at_line(i + 1, "no line number after the file name");
    }
    if (number < 1 || number > last_line) {
      return at_line(i + 1, "line " + std::to_string(number) + " is not in the file");
    }
    if (number < previous) return at_line(i + 1, "not in the order of the file's lines");
    previous = number;
    const bool error = take(line, ": error: ");
    if (!error && !take(line, ": warning: ")) return at_line(i + 1, "neither error nor warning");
    if (line.empty()) return at_line(i + 1, "a message without text");
    (error ? tally.error_lines : tally.warning_lines) += 1;
  }
  return "";
}

// Reads `svg` as a well-formed XML document of the plain kind the drawing writes: an XML
// declaration, then one root element `svg` holding elements with quoted attributes and
// text. Every tag is closed, and in order; no element repeats an attribute; a '&' only
// begins one of the five predefined entities; no byte is a control character other than
// tab, line end and carriage return, or outside ASCII (the drawing writes names with '?'
// for those); no attribute value holds "nan" or "inf" in any case. Comments, processing
// instructions, CDATA and character references are refused: the drawing writes none.
inline std::string xml_fault(std::string_view svg) {
  using namespace detail;
  for (std::size_t i = 0; i < svg.size(); ++i) {
    const char c = svg[i];
    if (!is_printable(c) && c != '\t' && c != '\n' && c != '\r') {
      return at_byte(i, "a control byte or a byte outside ASCII");
    }
  }
  std::size_t at = 0;
  const auto space = [&] {
    const std::size_t from = at;
    while (at < svg.size() &&
           (svg[at] == ' ' || svg[at] == '\t' || svg[at] == '\n' || svg[at] == '\r')) {
      ++at;
    }
    return at > from;
  };
  const auto name = [&]() -> std::string_view {
    const auto starts = [](char c) {
      return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
    };
    const auto continues = [&](char c) {
      return starts(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
    };
    const std::size_t from = at;
    if (at < svg.size() && starts(svg[at])) {
      ++at;
      while (at < svg.size() && continues(svg[at])) ++at;
    }
    return svg.substr(from, at - from);
  };
  const auto lookahead = [&](std::string_view text) { return svg.substr(at).starts_with(text); };
  // A '&' at `at`: one of the five predefined entities, which is skipped.
  const auto entity = [&] {
    for (const std::string_view known : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
      if (lookahead(known)) {
        at += known.size();
        return true;
      }
    }
    return false;
  };
  // A quoted attribute value at `at`, which is skipped; "" or why it is malformed.
  const auto value = [&]() -> std::string {
    if (at >= svg.size() || (svg[at] != '"' && svg[at] != '\'')) {
      return at_byte(at, "an attribute value without quotes");
    }
    const char quote = svg[at++];
    const std::size_t from = at;
    while (at < svg.size() && svg[at] != quote) {
      if (svg[at] == '<') return at_byte(at, "'<' in an attribute value");
      if (svg[at] == '&') {
        if (!entity()) return at_byte(at, "'&' that begins no predefined entity");
        continue;
      }
      ++at;
    }
    if (at >= svg.size()) return at_byte(from, "an attribute value without its closing quote");
    std::string text(svg.substr(from, at - from));
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    if (text.find("nan") != std::string::npos || text.find("inf") != std::string::npos) {
      return at_byte(from, "a value that is not a finite number: '" + text.substr(0, 40) + "'");
    }
    ++at;
    return "";
  };

  if (!lookahead("<?xml")) return at_byte(0, "no XML declaration");
  at = 5;
  bool version = false;
  for (;;) {
    const bool spaced = space();
    if (lookahead("?>")) {
      at += 2;
      break;
    }
    const std::size_t from = at;
    const std::string_view pseudo = name();
    if (!spaced || pseudo.empty()) return at_byte(from, "a malformed XML declaration");
    space();
    if (at >= svg.size() || svg[at] != '=') return at_byte(at, "'=' missing in the declaration");
    ++at;
    space();
    const std::size_t value_at = at + 1;
    if (std::string fault = value(); !fault.empty()) return fault;
    if (pseudo == "version") {
      version = svg.substr(value_at, 3) == "1.0";
      if (!version) return at_byte(value_at, "a version other than 1.0");
    } else if (pseudo != "encoding" && pseudo != "standalone") {
      return at_byte(from, "an unknown part of the XML declaration");
    }
  }
  if (!version) return at_byte(at, "an XML declaration without version");

  std::vector<std::string_view> open;  // the elements not yet closed, outermost first
  bool root_seen = false;
  for (;;) {
    if (open.empty()) {
      space();
      if (at == svg.size()) break;
      if (root_seen) return at_byte(at, "something after the root element");
      if (svg[at] != '<') return at_byte(at, "text outside the root element");
    }
    if (at == svg.size()) {
      return at_byte(at, "the document ends inside '" + std::string(open.back()) + "'");
    }
    if (svg[at] == '&') {
      if (!entity()) return at_byte(at, "'&' that begins no predefined entity");
      continue;
    }
    if (svg[at] != '<') {
      if (svg[at] == '>' && at >= 2 && svg.substr(at - 2, 3) == "]]>") {
        return at_byte(at - 2, "']]>' in text");
      }
      ++at;
      continue;
    }
    const std::size_t tag_at = at++;
    if (at < svg.size() && svg[at] == '/') {
      ++at;
      const std::string_view closed = name();
      space();
      if (at >= svg.size() || svg[at] != '>') return at_byte(at, "a malformed end tag");
      ++at;
      if (open.empty() || closed != open.back()) {
        return at_byte(tag_at, "end tag '" + std::string(closed) + "' closes no open element");
      }
      open.pop_back();
      continue;
    }
    const std::string_view tag = name();
    if (tag.empty()) {
      return at_byte(tag_at, "'<' that begins no element (a comment, CDATA or stray '<')");
    }
    if (open.empty()) {
      if (tag != "svg") return at_byte(tag_at, "a root element other than 'svg'");
      root_seen = true;
    }
    std::vector<std::string_view> attributes;
    for (;;) {
      const bool spaced = space();
      if (lookahead("/>")) {
        at += 2;
        break;
      }
      if (lookahead(">")) {
        ++at;
        open.push_back(tag);
        break;
      }
      const std::size_t attribute_at = at;
      const std::string_view attribute = name();
      if (attribute.empty() || !spaced) return at_byte(attribute_at, "a malformed attribute");
      if (std::find(attributes.begin(), attributes.end(), attribute) != attributes.end()) {
        return at_byte(attribute_at, "attribute '" + std::string(attribute) + "' repeated");
      }
      attributes.push_back(attribute);
      space();
      if (at >= svg.size() || svg[at] != '=') return at_byte(at, "'=' missing after an attribute");
      ++at;
      space();
      if (std::string fault = value(); !fault.empty()) return fault;
    }
  }
  if (!root_seen) return at_byte(at, "no root element");
  return "";
}

// Reads `table` as a CSV table: the line `header`, then `rows` lines of as many fields, a
// profile name, a row number from 1, then finite numbers that read back whole, or empty
// fields where `empty_allowed`.
inline std::string csv_fault(std::string_view table, std::string_view header, std::size_t rows,
                             bool empty_allowed) {
  using namespace detail;
  std::vector<std::string_view> lines;
  if (!split_lines(table, lines)) return "the table does not end with a line end";
  if (lines.empty() || lines.front() != header) return "no header";
  if (lines.size() - 1 != rows) {
    return std::to_string(lines.size() - 1) + " rows, not " + std::to_string(rows);
  }
  const auto columns = static_cast<std::size_t>(std::count(header.begin(), header.end(), ',')) + 1;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string_view> fields;
    std::string_view rest = lines[i];
    for (std::size_t comma = rest.find(','); comma != std::string_view::npos;
         comma = rest.find(',')) {
      fields.push_back(rest.substr(0, comma));
      rest.remove_prefix(comma + 1);
    }
    fields.push_back(rest);
    if (fields.size() != columns) return at_line(i + 1, std::to_string(fields.size()) + " fields");
    if (fields[0].empty()) return at_line(i + 1, "no profile name");
    std::uint64_t index = 0;
    std::string_view index_text = fields[1];
    if (!take_count(index_text, index) || !index_text.empty() || index == 0) {
      return at_line(i + 1, "an index that is no row number");
    }
    for (std::size_t f = 2; f < fields.size(); ++f) {
      const std::string_view field = fields[f];
      if (field.empty() && empty_allowed) continue;
      double number = 0.0;
      const auto read = std::from_chars(field.data(), field.data() + field.size(), number);
      if (read.ec != std::errc() || read.ptr != field.data() + field.size() ||
          !std::isfinite(number)) {
        return at_line(i + 1, empty_allowed ? "a field that is neither empty nor a finite number"
                                            : "a coordinate that is no finite number");
      }
    }
  }
  return "";
}

// Reads `table` as the node table: the header "profile,index,z,rho", then `rows` lines of
// four fields, a name, a row number from 1 and two finite numbers that read back whole.
inline std::string table_fault(std::string_view table, std::size_t rows) {
  return csv_fault(table, "profile,index,z,rho", rows, false);
}

// Reads `summary` as lines of printable ASCII whose last says "errors: E, warnings: W"
// with the counts given.
inline std::string summary_fault(std::string_view summary, std::uint64_t errors,
                                 std::uint64_t warnings) {
  using namespace detail;
  std::vector<std::string_view> lines;
  if (!split_lines(summary, lines) || lines.empty()) return "the summary has no whole line";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!std::all_of(lines[i].begin(), lines[i].end(), is_printable)) {
      return at_line(i + 1, "a byte outside printable ASCII");
    }
  }
  const std::string counts =
      "errors: " + std::to_string(errors) + ", warnings: " + std::to_string(warnings);
  if (lines.back() != counts) return "the last line is not '" + counts + "'";
  return "";
}

// A JSON value as json_fault reads it.
struct JsonValue {
  enum class Kind { null, boolean, number, string, array, object };
  Kind kind = Kind::null;
  bool boolean = false;
  double number = 0.0;
  std::string text;              // a string's bytes (each character a byte), or a number as written
  std::vector<JsonValue> items;  // an array's items, an object's members' values, in order
  std::vector<std::string> keys;  // an object's members' keys, in order

  // The member `key` of an object, or nullptr.
  const JsonValue* find(std::string_view key) const {
    for (std::size_t i = 0; i < keys.size() && i < items.size(); ++i) {
      if (keys[i] == key) return &items[i];
    }
    return nullptr;
  }
};

// Reads `text` as one JSON value (RFC 8259) of the plain kind the report is, into `value`:
// ASCII only; blanks only between tokens (space, tab, line end, carriage return); objects
// whose keys are strings, none twice; no comma before a closing bracket; strings without
// raw control bytes, whose escapes are \" \\ \/ \b \f \n \r \t or \u and four
// hexadecimal digits naming a character below 0x100 (a byte, as the report writes every
// byte); numbers of JSON's form that read back whole to a finite double; nesting at most 32
// deep; nothing after the value but blanks.
inline std::string json_fault(std::string_view text, JsonValue& value) {
  using namespace detail;
  std::size_t at = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return at_byte(i, "a byte outside ASCII");
  }
  const auto blanks = [&] {
    while (at < text.size() &&
           (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) {
      ++at;
    }
  };
  const auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string fault;
  const auto string = [&](std::string& out) {
    ++at;  // the opening quote
    for (;;) {
      if (at >= text.size())
        return fault = at_byte(at, "a string without its closing quote"), false;
      const char c = text[at];
      if (c == '"') {
        ++at;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20)
        return fault = at_byte(at, "a control byte in a string"), false;
      if (c != '\\') {
        out += c;
        ++at;
        continue;
      }
      if (at + 1 >= text.size()) return fault = at_byte(at, "an escape cut short"), false;
      const char e = text[at + 1];
      const std::string_view simple = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
      if (const std::size_t k = simple.find(e); k != std::string_view::npos) {
        out += meant[k];
        at += 2;
        continue;
      }
      if (e != 'u' || at + 6 > text.size()) return fault = at_byte(at, "an unknown escape"), false;
      int code = 0;
      for (std::size_t d = 0; d < 4; ++d) {
        const int digit = hex(text[at + 2 + d]);
        if (digit < 0)
          return fault = at_byte(at, "a \\u escape without four hexadecimal digits"), false;
        code = code * 16 + digit;
      }
      if (code >= 0x100) return fault = at_byte(at, "a character beyond a byte"), false;
      out += static_cast<char>(code);
      at += 6;
    }
  };
  const auto number = [&](JsonValue& out) {
    const std::size_t from = at;
    const auto digits = [&] {
      const std::size_t start = at;
      while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
      return at > start;
    };
    if (text[at] == '-') ++at;
    if (at < text.size() && text[at] == '0') {
      ++at;
    } else if (!digits()) {
      return fault = at_byte(from, "a number without digits"), false;
    }
    if (at < text.size() && text[at] == '.') {
      ++at;
      if (!digits()) return fault = at_byte(from, "a number without digits after its point"), false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
      ++at;
      if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
      if (!digits()) return fault = at_byte(from, "a number without digits in its exponent"), false;
    }
    out.kind = JsonValue::Kind::number;
    out.text = std::string(text.substr(from, at - from));
    const auto read =
        std::from_chars(out.text.data(), out.text.data() + out.text.size(), out.number);
    if (read.ec != std::errc() || read.ptr != out.text.data() + out.text.size() ||
        !std::isfinite(out.number)) {
      return fault = at_byte(from, "a number that does not read back to a finite double"), false;
    }
    return true;
  };
  constexpr int most_depth = 32;
  const auto parse = [&](auto& self, JsonValue& out, int depth) -> bool {
    blanks();
    if (at >= text.size()) return fault = at_byte(at, "a value missing"), false;
    const char c = text[at];
    if (c == '{' || c == '[') {
      if (depth >= most_depth) return fault = at_byte(at, "nested too deep"), false;
      const bool object = c == '{';
      out.kind = object ? JsonValue::Kind::object : JsonValue::Kind::array;
      ++at;
      blanks();
      if (at < text.size() && text[at] == (object ? '}' : ']')) {
        ++at;
        return true;
      }
      for (;;) {
        if (object) {
          blanks();
          if (at >= text.size() || text[at] != '"')
            return fault = at_byte(at, "a member without a string key"), false;
          std::string key;
          if (!string(key)) return false;
          if (out.find(key) != nullptr)
            return fault = at_byte(at, "key '" + key.substr(0, 40) + "' repeated"), false;
          blanks();
          if (at >= text.size() || text[at] != ':')
            return fault = at_byte(at, "':' missing after a key"), false;
          ++at;
          out.keys.push_back(std::move(key));
        }
        out.items.emplace_back();
        if (!self(self, out.items.back(), depth + 1)) return false;
        blanks();
        if (at < text.size() && text[at] == ',') {
          ++at;
          blanks();
          if (at < text.size() && (text[at] == '}' || text[at] == ']')) {
            return fault = at_byte(at, "a comma before a closing bracket"), false;
          }
          continue;
        }
        if (at < text.size() && text[at] == (object ? '}' : ']')) {
          ++at;
          return true;
        }
        return fault = at_byte(at, object ? "',' or '}' missing" : "',' or ']' missing"), false;
      }
    }
    if (c == '"') {
      out.kind = JsonValue::Kind::string;
      return string(out.text);
    }
    if (c == '-' || (c >= '0' && c <= '9')) return number(out);
    for (const auto& [word, kind, truth] :
         {std::tuple{std::string_view("null"), JsonValue::Kind::null, false},
          std::tuple{std::string_view("true"), JsonValue::Kind::boolean, true},
          std::tuple{std::string_view("false"), JsonValue::Kind::boolean, false}}) {
      if (text.substr(at).starts_with(word)) {
        out.kind = kind;
        out.boolean = truth;
        at += word.size();
        return true;
      }
    }
    return fault = at_byte(at, "no JSON value"), false;
  };
  value = JsonValue{};
  if (!parse(parse, value, 0)) return fault;
  blanks();
  if (at != text.size()) return at_byte(at, "something after the value");
  return "";
}

// One entity of a DXF drawing as dxf_fault reads it: its type, its layer and its points
// (a line's two ends, a point, a polyline's vertices), each (x, y).
struct DxfEntity {
  std::string type;
  std::string layer;
  std::vector<std::pair<double, double>> points;
};

// A DXF drawing as dxf_fault reads it.
struct DxfDrawing {
  int units = -1;                   // $INSUNITS
  std::vector<std::string> layers;  // in the order of the layer table
  std::vector<DxfEntity> entities;  // in file order
};

// Reads `text` as the kind of DXF drawing the viewer writes, into `drawing`: lines of
// printable ASCII, each ended by '\n', in pairs of a group code (a whole number without
// leading zeros, right-aligned in three columns) and its value; the sections HEADER, TABLES and
// ENTITIES, each SECTION ... ENDSEC, then EOF and nothing after. The header holds
// $ACADVER AC1009, $INSUNITS (0, 1, 2, 4, 5 or 6), $EXTMIN and $EXTMAX; the tables are
// LTYPE and LAYER, each with the count of its entries, a layer named by 1 to 31 capital
// letters, digits, '$', '-' and '_', none twice, with its flags, colour and linetype; the
// entities are LINE, POINT and POLYLINE (vertices follow, at
// least two, then SEQEND, all on the polyline's layer), each on a layer of the table. Every
// coordinate reads back whole to a finite double; z is 0.
inline std::string dxf_fault(std::string_view text, DxfDrawing& drawing) {
  using namespace detail;
  drawing = DxfDrawing{};
  std::vector<std::string_view> lines;
  if (!split_lines(text, lines)) return "the drawing does not end with a line end";
  if (lines.size() % 2 != 0) return "an odd number of lines";
  struct Group {
    int code = 0;
    std::string_view value;
  };
  std::vector<Group> groups;
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    const std::string_view code = lines[i];
    const std::size_t digits = code.find_first_not_of(' ');
    int number = -1;
    if (code.size() == 3 && digits != std::string_view::npos &&
        (code[digits] != '0' || digits == 2)) {
      const auto read = std::from_chars(code.data() + digits, code.data() + 3, number);
      if (read.ptr != code.data() + 3) number = -1;
    }
    if (number < 0) return at_line(i + 1, "no group code");
    if (!std::all_of(lines[i + 1].begin(), lines[i + 1].end(), is_printable)) {
      return at_line(i + 2, "a byte outside printable ASCII");
    }
    groups.push_back({number, lines[i + 1]});
  }
  std::size_t at = 0;
  std::string fault;
  // The line of group `g`'s code, for a message.
  const auto line_of = [](std::size_t g) { return 2 * g + 1; };
  const auto peek = [&](int code, std::string_view value) {
    return at < groups.size() && groups[at].code == code && groups[at].value == value;
  };
  const auto expect = [&](int code, std::string_view value) {
    if (peek(code, value)) return ++at, true;
    fault = at_line(line_of(at), "expected " + std::to_string(code) + " " + std::string(value));
    return false;
  };
  const auto take = [&](int code, std::string_view& value) {
    if (at < groups.size() && groups[at].code == code) return value = groups[at++].value, true;
    fault = at_line(line_of(at), "expected group " + std::to_string(code));
    return false;
  };
  const auto whole = [&](int code, int& value) {
    std::string_view text_value;
    if (!take(code, text_value)) return false;
    const auto read =
        std::from_chars(text_value.data(), text_value.data() + text_value.size(), value);
    if (read.ec == std::errc() && read.ptr == text_value.data() + text_value.size()) return true;
    fault = at_line(line_of(at - 1) + 1, "no whole number");
    return false;
  };
  const auto number = [&](int code, double& value) {
    std::string_view text_value;
    if (!take(code, text_value)) return false;
    const auto read =
        std::from_chars(text_value.data(), text_value.data() + text_value.size(), value);
    if (read.ec == std::errc() && read.ptr == text_value.data() + text_value.size() &&
        std::isfinite(value)) {
      return true;
    }
    fault = at_line(line_of(at - 1) + 1, "a coordinate that is no finite number");
    return false;
  };
  // A point of the plane in groups `code`, `code` + 10 and `code` + 20 (which is 0).
  const auto point = [&](int code, std::pair<double, double>& xy) {
    double z = 0.0;
    if (!number(code, xy.first) || !number(code + 10, xy.second) || !number(code + 20, z)) {
      return false;
    }
    if (z == 0.0) return true;
    fault = at_line(line_of(at - 1) + 1, "a point off the plane");
    return false;
  };
  // A table's head, whose entries are of `kind`: their count.
  const auto table = [&](std::string_view kind, int& count) {
    return expect(0, "TABLE") && expect(2, kind) && whole(70, count);
  };
  const auto counted = [&](std::size_t entries, int count) {
    if (static_cast<int>(entries) == count) return true;
    fault = at_line(line_of(at), "the table counts " + std::to_string(count) + " entries, not " +
                                     std::to_string(entries));
    return false;
  };

  std::pair<double, double> corner;
  if (!expect(0, "SECTION") || !expect(2, "HEADER") || !expect(9, "$ACADVER") ||
      !expect(1, "AC1009") || !expect(9, "$INSUNITS") || !whole(70, drawing.units)) {
    return fault;
  }
  if (drawing.units < 0 || drawing.units > 6 || drawing.units == 3) {
    return at_line(line_of(at - 1) + 1, "a unit that is none of the five");
  }
  if (!expect(9, "$EXTMIN") || !point(10, corner) || !expect(9, "$EXTMAX") || !point(10, corner) ||
      !expect(0, "ENDSEC")) {
    return fault;
  }

  int count = 0;
  std::size_t linetypes = 0;
  if (!expect(0, "SECTION") || !expect(2, "TABLES") || !table("LTYPE", count)) return fault;
  for (; peek(0, "LTYPE"); ++linetypes) {
    ++at;
    while (at < groups.size() && groups[at].code != 0) ++at;
  }
  if (!counted(linetypes, count) || !expect(0, "ENDTAB")) return fault;
  if (!table("LAYER", count)) return fault;
  while (peek(0, "LAYER")) {
    ++at;
    std::string_view name, linetype;
    int flags = 0, colour = 0;
    if (!take(2, name) || !whole(70, flags) || !whole(62, colour) || !take(6, linetype)) {
      return fault;
    }
    const bool valid =
        !name.empty() && name.size() <= 31 && std::all_of(name.begin(), name.end(), [](char c) {
          return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' || c == '-' ||
                 c == '_';
        });
    if (!valid) return at_line(line_of(at - 4) + 1, "a layer name no reader takes");
    if (std::find(drawing.layers.begin(), drawing.layers.end(), name) != drawing.layers.end()) {
      return at_line(line_of(at - 4) + 1, "layer " + std::string(name) + " named twice");
    }
    drawing.layers.emplace_back(name);
  }
  if (!counted(drawing.layers.size(), count) || !expect(0, "ENDTAB") || !expect(0, "ENDSEC")) {
    return fault;
  }

  if (!expect(0, "SECTION") || !expect(2, "ENTITIES")) return fault;
  const auto layer = [&](std::string& name) {
    std::string_view value;
    if (!take(8, value)) return false;
    name = value;
    if (std::find(drawing.layers.begin(), drawing.layers.end(), name) != drawing.layers.end()) {
      return true;
    }
    fault = at_line(line_of(at - 1) + 1, "a layer the table does not hold");
    return false;
  };
  while (!peek(0, "ENDSEC")) {
    if (at >= groups.size()) return at_line(line_of(at), "the entities do not end");
    DxfEntity entity;
    entity.type = groups[at].code == 0 ? std::string(groups[at].value) : "";
    const std::size_t start = at++;
    if (entity.type == "LINE" || entity.type == "POINT") {
      entity.points.resize(entity.type == "LINE" ? 2 : 1);
      if (!layer(entity.layer) || !point(10, entity.points[0])) return fault;
      if (entity.type == "LINE" && !point(11, entity.points[1])) return fault;
    } else if (entity.type == "POLYLINE") {
      std::pair<double, double> origin;
      if (!layer(entity.layer) || !expect(66, "1") || !point(10, origin) || !expect(70, "0")) {
        return fault;
      }
      while (peek(0, "VERTEX")) {
        ++at;
        std::string on;
        entity.points.emplace_back();
        if (!layer(on) || !point(10, entity.points.back()) || !expect(70, "0")) return fault;
        if (on != entity.layer) return at_line(line_of(at - 5) + 1, "a vertex on another layer");
      }
      std::string on;
      if (!expect(0, "SEQEND") || !layer(on)) return fault;
      if (on != entity.layer) return at_line(line_of(at - 1) + 1, "a SEQEND on another layer");
      if (entity.points.size() < 2) {
        return at_line(line_of(start), "a polyline of fewer than two vertices");
      }
    } else {
      return at_line(line_of(start), "no entity the drawing writes");
    }
    drawing.entities.push_back(std::move(entity));
  }
  ++at;
  if (!expect(0, "EOF")) return fault;
  if (at != groups.size()) return at_line(line_of(at), "something after EOF");
  return "";
}

// Reads `text` as the DXF drawing of `wall` (with its mirror image when `mirror`), as
// dxf_fault reads it, and compares it with the wall: its unit is the profiles' unit when
// they share one that dxf_unit_code names, else 0; layers 0, AXIS and APERTURE, then one
// a profile; the axis on rho = 0 and the aperture plane on z = 0, each drawn from low to
// high; then each profile's evaluated nodes on its layer, a polyline a run of consecutive
// evaluated nodes and a point a lone one, exactly (the sign of a zero too), and with
// `mirror` the same again with rho negated.
inline std::string drawing_fault(std::string_view text, const Wall& wall, bool mirror) {
  DxfDrawing drawing;
  if (std::string fault = dxf_fault(text, drawing); !fault.empty()) return fault;
  const std::vector<Profile>& profiles = wall.profiles;
  std::optional<int> units = 0;
  if (!profiles.empty()) {
    const std::string& unit = profiles.front().unit;
    const bool shared = std::all_of(profiles.begin(), profiles.end(),
                                    [&](const Profile& profile) { return profile.unit == unit; });
    units = shared ? dxf_unit_code(unit) : std::nullopt;
  }
  if (drawing.units != units.value_or(0)) {
    return "the unit " + std::to_string(drawing.units) + ", not " +
           std::to_string(units.value_or(0));
  }
  if (drawing.layers.size() != profiles.size() + 3 || drawing.layers[0] != "0" ||
      drawing.layers[1] != "AXIS" || drawing.layers[2] != "APERTURE") {
    return "not the layers 0, AXIS, APERTURE and one a profile";
  }
  std::size_t e = 0;
  const std::vector<DxfEntity>& entities = drawing.entities;
  for (; e < entities.size() && entities[e].type == "LINE"; ++e) {
    const DxfEntity& line = entities[e];
    const auto [from, to] = std::pair(line.points[0], line.points[1]);
    const bool axis =
        line.layer == "AXIS" && from.second == 0.0 && to.second == 0.0 && from.first < to.first;
    const bool aperture =
        line.layer == "APERTURE" && from.first == 0.0 && to.first == 0.0 && from.second < to.second;
    if (!axis && !aperture) return "entity " + std::to_string(e + 1) + ": a stray line";
  }
  const auto same = [](double a, double b) { return a == b && std::signbit(a) == std::signbit(b); };
  for (std::size_t p = 0; p < profiles.size(); ++p) {
    const std::vector<Node>& nodes = profiles[p].nodes;
    for (const bool mirrored : {false, true}) {
      if (mirrored && !mirror) continue;
      for (std::size_t first = 0; first < nodes.size(); ++first) {
        if (!nodes[first].ok) continue;
        std::size_t end = first;
        while (end < nodes.size() && nodes[end].ok) ++end;
        const std::string where = "entity " + std::to_string(e + 1) + ": ";
        if (e >= entities.size()) return where + "missing for profile " + std::to_string(p + 1);
        const DxfEntity& entity = entities[e++];
        if (entity.type != (end - first == 1 ? "POINT" : "POLYLINE")) {
          return where + "a " + entity.type + " for a run of " + std::to_string(end - first);
        }
        if (entity.layer != drawing.layers[3 + p]) return where + "on another profile's layer";
        if (entity.points.size() != end - first) {
          return where + std::to_string(entity.points.size()) + " points, not " +
                 std::to_string(end - first);
        }
        for (std::size_t i = first; i < end; ++i) {
          const auto [x, y] = entity.points[i - first];
          const double rho = mirrored ? 0.0 - nodes[i].rho : nodes[i].rho;
          if (!same(x, nodes[i].z) || !same(y, rho)) {
            return where + "point " + std::to_string(i - first + 1) + " is not node " +
                   std::to_string(i + 1) + (mirrored ? " mirrored" : "");
          }
        }
        first = end;
      }
    }
  }
  if (e != entities.size()) return "entity " + std::to_string(e + 1) + ": one too many";
  return "";
}

// Reads `report` as the JSON report of `examined`, written for the object file `file` with
// `bands`, and compares it with what the other outputs state: the version; the counts of
// errors and warnings and the status they give; every finding kept, in order, with its
// file, kind, severity, line and text, and the findings only counted; each profile's name,
// nodes and bands, each band's worst count and margin to the last bit.
inline std::string report_fault(std::string_view report, const Examined& examined,
                                std::string_view file, std::span<const FrequencyBand> bands) {
  JsonValue root;
  if (std::string fault = json_fault(report, root); !fault.empty()) return fault;
  const auto count = [](const JsonValue* value) -> std::optional<std::uint64_t> {
    if (value == nullptr || value->kind != JsonValue::Kind::number || value->number < 0 ||
        value->number != std::floor(value->number)) {
      return std::nullopt;
    }
    return static_cast<std::uint64_t>(value->number);
  };
  if (root.kind != JsonValue::Kind::object) return "not an object";
  if (count(root.find("version")) != std::uint64_t{json_version}) return "no version 1";
  const Diagnostics& diagnostics = examined.diagnostics;
  if (count(root.find("errors")) != diagnostics.error_count() ||
      count(root.find("warnings")) != diagnostics.warning_count()) {
    return "the counts of errors and warnings disagree";
  }
  if (count(root.find("status")) != std::uint64_t{diagnostics.error_count() > 0 ? 1u : 0u}) {
    return "the status disagrees";
  }
  const JsonValue* findings = root.find("findings");
  const std::vector<Diagnostic> kept = diagnostics.sorted();
  if (findings == nullptr || findings->items.size() != kept.size()) {
    return "the findings do not list every finding kept";
  }
  for (std::size_t i = 0; i < kept.size(); ++i) {
    const JsonValue& found = findings->items[i];
    const FindingRow& row = finding_row(kept[i].kind);
    const JsonValue* where = found.find("file");
    const JsonValue* kind = found.find("kind");
    const JsonValue* severity = found.find("severity");
    const JsonValue* text = found.find("text");
    if (where == nullptr || where->text != file || kind == nullptr || kind->text != row.name ||
        severity == nullptr || severity->text != severity_name(row.severity) ||
        count(found.find("line")) != kept[i].line || text == nullptr ||
        text->text != kept[i].text) {
      return "finding " + std::to_string(i + 1) + " disagrees with the messages";
    }
  }
  std::uint64_t noted = 0;
  const JsonValue* not_shown = root.find("not_shown");
  if (not_shown == nullptr) return "no not_shown";
  for (const JsonValue& item : not_shown->items) noted += count(item.find("count")).value_or(0);
  if (kept.size() + noted != diagnostics.error_count() + diagnostics.warning_count()) {
    return "the findings and those not shown do not account for every finding";
  }
  const JsonValue* profiles = root.find("profiles");
  const std::vector<Profile>& walls = examined.wall.profiles;
  if (profiles == nullptr || profiles->items.size() != walls.size()) {
    return "the profiles disagree in number";
  }
  for (std::size_t p = 0; p < walls.size(); ++p) {
    const JsonValue& profile = profiles->items[p];
    const std::string where = "profile " + std::to_string(p + 1) + ": ";
    const JsonValue* name = profile.find("name");
    if (name == nullptr || name->text != walls[p].name) return where + "its name";
    if (count(profile.find("nodes")) != walls[p].nodes.size() ||
        count(profile.find("not_evaluated")) != walls[p].missing) {
      return where + "its nodes";
    }
    const JsonValue* figures = profile.find("bands");
    const std::size_t measured = walls[p].bands.size() == bands.size() ? bands.size() : 0;
    if (figures == nullptr || figures->items.size() != measured) return where + "its bands";
    for (std::size_t b = 0; b < measured; ++b) {
      const BandFigures& expected = walls[p].bands[b];
      const JsonValue& band = figures->items[b];
      const JsonValue* worst = band.find("worst");
      const JsonValue* margin = band.find("margin");
      if (worst == nullptr || count(worst->find("count")) != expected.coverage.fewest) {
        return where + "its worst count";
      }
      if (margin == nullptr || (margin->kind == JsonValue::Kind::null) == expected.meets) {
        return where + "whether it meets the threshold";
      }
      if (expected.meets && (margin->find("down") == nullptr || margin->find("up") == nullptr ||
                             margin->find("down")->number != expected.down ||
                             margin->find("up")->number != expected.up)) {
        return where + "its margin";
      }
    }
  }
  return "";
}

// Views `text` as the object file "fuzz.zul" in memory, as run_view does with every
// output asked for, and reads back its messages, picture, node table, summary, JSON report
// and DXF drawing. Beyond their forms (and
// the report's agreement with the rest, see report_fault): the exit status that
// run_view would give is 1 exactly when an error line is written; the lines and notes
// account for every finding counted; the text, which cannot change, never reads as
// changed; each profile counts its nodes that are not evaluated, and the table has a row
// for each of the others.
inline std::string output_fault(std::string_view text, bool mirror,
                                std::span<const FrequencyBand> bands = {},
                                double min_coverage = default_min_coverage) {
  constexpr std::string_view file = "fuzz.zul";
  TextSource source(text);
  const Examined examined = examine(
      source,
      {0.0, mirror, std::vector<FrequencyBand>(bands.begin(), bands.end()), min_coverage, true});
  const Diagnostics& diagnostics = examined.diagnostics;
  std::ostringstream messages, picture, table, corrugations, summary, report, drawing;
  write_diagnostics(diagnostics, file, messages);
  write_svg(examined.wall, {file, mirror, bands, min_coverage, "passes"}, picture);
  write_node_table(examined.wall, table);
  write_corrugation_table(examined.wall, bands, corrugations);
  write_summary(examined.wall, diagnostics, summary, bands);
  ViewOptions options;
  options.file = file;
  options.bands.assign(bands.begin(), bands.end());
  options.mirror = mirror;
  options.min_coverage = min_coverage;
  options.paths[static_cast<std::size_t>(Output::picture)] = std::string(file) + ".svg";
  options.paths[static_cast<std::size_t>(Output::json)] = "-";
  write_json_report(examined, options, report);
  write_dxf(examined.wall, mirror, drawing);

  const int status = diagnostics.error_count() == 0 ? 0 : 1;
  const auto last_line = static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  MessageTally tally;
  if (std::string fault = message_fault(messages.str(), file, last_line, tally); !fault.empty()) {
    return "messages: " + fault;
  }
  if ((status == 0) != (tally.error_lines == 0)) {
    return "exit status " + std::to_string(status) + " with " + std::to_string(tally.error_lines) +
           " error lines";
  }
  if (tally.error_lines + tally.noted_errors != diagnostics.error_count() ||
      tally.warning_lines + tally.noted_warnings != diagnostics.warning_count()) {
    return "messages: they do not account for every finding";
  }
  if (messages.str().find("the file changed while it was read") != std::string::npos) {
    return "messages: the text in memory read as changed";
  }
  if (std::string fault = xml_fault(picture.str()); !fault.empty()) return "picture: " + fault;
  std::size_t evaluated = 0;
  for (const Profile& profile : examined.wall.profiles) {
    const auto ok = static_cast<std::size_t>(std::count_if(
        profile.nodes.begin(), profile.nodes.end(), [](const Node& node) { return node.ok != 0; }));
    if (profile.missing != profile.nodes.size() - ok) {
      return "wall: profile '" + profile.name.substr(0, 40) + "' counts " +
             std::to_string(profile.missing) + " nodes not evaluated, not " +
             std::to_string(profile.nodes.size() - ok);
    }
    evaluated += ok;
  }
  if (std::string fault = table_fault(table.str(), evaluated); !fault.empty()) {
    return "table: " + fault;
  }
  std::string header = "profile,index,z_near,z_far,height,thickness,gap,pitch";
  if (!bands.empty()) header += ",q_GHz";
  for (std::size_t b = 0; b < bands.size(); ++b) header += ",capacitive_" + std::to_string(b + 1);
  std::size_t rings = 0;
  for (const Profile& profile : examined.wall.profiles) rings += profile.corrugations.size();
  if (std::string fault = csv_fault(corrugations.str(), header, rings, true); !fault.empty()) {
    return "corrugations: " + fault;
  }
  if (std::string fault =
          summary_fault(summary.str(), diagnostics.error_count(), diagnostics.warning_count());
      !fault.empty()) {
    return "summary: " + fault;
  }
  if (std::string fault = report_fault(report.str(), examined, file, bands); !fault.empty()) {
    return "report: " + fault;
  }
  if (std::string fault = drawing_fault(drawing.str(), examined.wall, mirror); !fault.empty()) {
    return "drawing: " + fault;
  }
  return "";
}

}  // namespace hornwall::view::output_checks

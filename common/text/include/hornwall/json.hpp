#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The JSON that the tools' reports are written in (RFC 8259), indented, in ASCII.
namespace hornwall {

// Appends `text` as a JSON string, in quotes. Every byte is kept: '"' and '\' escaped, a
// control byte, DEL and every byte above 0x7f written as \u00XX (the byte read as
// Latin-1), so that the report is ASCII and a reader gets the bytes back by taking each
// character of the string as one byte.
void append_json_string(std::string& out, std::string_view text);

// Appends `value` as a JSON number in the shortest form that reads back to the same double
// ("10", "9.5", "1e-07", "-0"), or null when it is not finite.
void append_json_number(std::string& out, double value);

// Composes indented JSON into a string: a member per line, two spaces a level, but for the
// small objects opened on one line. The caller opens and closes what it writes in order;
// key() names the member whose value comes next.
class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  // Opens an object ('{') or an array ('['), its members on lines of their own or, with
  // `one_line`, on the line it opens.
  void open(char bracket, bool one_line = false);
  // Closes what was opened last with `bracket` ('}' or ']').
  void close(char bracket);
  // The name of the member whose value comes next.
  JsonWriter& key(std::string_view name);
  void string(std::string_view text);
  void number(double value);
  void count(std::uint64_t value);
  void boolean(bool value);
  void null();
  // Ends the text with a line end, after the outermost value.
  void end() { out_ += '\n'; }

 private:
  struct Level {
    bool empty;     // nothing in it yet
    bool one_line;  // its members on the line it opens
  };

  void separate();
  void new_line();

  std::string& out_;
  std::vector<Level> levels_;  // the objects and arrays open, outermost first
  bool after_key_ = false;
};

}  // namespace hornwall

#include "hornwall/view/object_file.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>

#include "hornwall/object_format.hpp"
#include "hornwall/text.hpp"

namespace hornwall::view {
namespace {

namespace format = object_format;

constexpr std::uint32_t no_variable = std::numeric_limits<std::uint32_t>::max();

// Thrown inside the reader only: the block at hand is broken; the message is reported.
struct Broken {};

// A token as a message shows it, cut after 40 characters; bytes that are not printable
// are escaped when the message is written.
std::string shown(TokenKind kind, std::string_view text) {
  if (kind == TokenKind::broken_quote) return "an unclosed quote";
  if (kind == TokenKind::quoted) return double_quoted(cut_to_shown(text));
  return single_quoted(cut_to_shown(text));
}

std::string shown(const Token& token) { return shown(token.kind, token.text); }

class Reader {
 public:
  Reader(ByteSource& source, Diagnostics& diagnostics)
      : cut_from_(cut_line_start(source)),
        lexer_(source, {}, cut_from_),
        diagnostics_(diagnostics) {}

  ObjectFile read() {
    file_.cut_from = cut_from_;
    try {
      for (Token token = lexer_.next();; token = lexer_.next()) {
        if (token.kind == TokenKind::end) {
          if (token.cut) read_cut_block(token);
          break;
        }
        read_block(token);
      }
    } catch (const Broken&) {
    }
    return std::move(file_);
  }

 private:
  // A block begun on a last line without a line end: as with a line end after it, a word
  // that is no name is what it is; a name begins an object that the file cuts short.
  void read_cut_block(const Token& end) {
    if (end.cut_kind == TokenKind::word && format::is_name(end.text)) {
      fail(end, "file ends inside object " + shown_name(end.text));
    }
    fail(end, "expected the name of an object, found " + shown(end.cut_kind, end.text));
  }

  void read_block(const Token& name_token) {
    if (name_token.kind != TokenKind::word || !format::is_name(name_token.text)) {
      fail(name_token, "expected the name of an object, found " + shown(name_token));
    }
    const std::string name(name_token.text);
    const std::uint64_t line = name_token.line;
    const Token kind = lexer_.next();
    if (kind.kind == TokenKind::word && kind.text == format::variable_kind) {
      read_variable(name, line);
    } else if (kind.kind == TokenKind::word && kind.text == format::profile_kind) {
      read_profile(name, line);
    } else if (kind.kind == TokenKind::end) {
      fail(kind, "file ends inside object " + shown_name(name));
    } else {
      fail(kind, "unknown kind of object " + shown(kind) + " for object " + shown_name(name));
    }
  }

  void read_variable(const std::string& name, std::uint64_t line) {
    const auto where = [&] { return "variable " + shown_name(name); };
    expect(TokenKind::open, "'('", where);
    expect_word(format::value_entry, where);
    expect(TokenKind::colon, "':'", where);
    const Token value = lexer_.next();
    check_cell(value, where);
    VariableBlock block;
    block.name = file_.names.intern(name);
    block.line = line;
    scratch_.clear();
    const std::string reason = compile(value.text, file_.names, scratch_);
    block.code = file_.code.add(scratch_);
    expect(TokenKind::close, "')'", where);
    if (!reason.empty()) {
      diagnostics_.report(Finding::unparsable, line, "cannot parse " + where() + ": " + reason);
    }
    file_.variables.push_back(block);
  }

  void read_profile(const std::string& name, std::uint64_t line) {
    file_.profiles.push_back({name, line, {}, {}, 0, ProfileEnd::cut});
    const std::string where = "profile " + shown_name(name);
    const auto profile_where = [&] { return where; };
    expect(TokenKind::open, "'('", profile_where);
    for (;;) {
      const Token entry = lexer_.next();
      if (entry.kind == TokenKind::end) fail(entry, "file ends inside " + where);
      if (entry.kind != TokenKind::word) {
        fail(entry, "expected an entry of " + where + ", found " + shown(entry));
      }
      const std::string entry_name(entry.text);
      const auto entry_where = [&] {
        return "the " + cut_to_shown(entry_name) + " entry of " + where;
      };
      if (entry_name == format::nodes_entry) {
        expect(TokenKind::colon, "':'", entry_where);
        expect_word(format::table_word, entry_where);
        expect(TokenKind::open, "'('", entry_where);
        break;
      }
      if (entry_name != format::unit_entry && entry_name != format::snap_entry &&
          entry_name != format::order_entry) {
        fail(entry, "unknown entry " + shown(entry) + " in " + where);
      }
      expect(TokenKind::colon, "':'", entry_where);
      const Token setting = lexer_.next();
      if (setting.kind == TokenKind::end) fail(setting, "file ends inside " + where);
      if (setting.kind != TokenKind::word || !format::is_name(setting.text)) {
        fail(setting, "expected a setting in " + entry_where() + ", found " + shown(setting));
      }
      if (entry_name == format::unit_entry) file_.profiles.back().unit = setting.text;
      expect(TokenKind::comma, "','", entry_where);
    }
    file_.profiles.back().rows = lexer_.position();
    read_rows(where);
  }

  void read_rows(const std::string& where) {
    ProfileBlock& profile = file_.profiles.back();
    for (;;) {
      const Token first = lexer_.next();
      const auto row_where = [&] {
        return "node " + std::to_string(profile.row_count + 1) + " of " + shown_name(profile.name);
      };
      if (first.kind == TokenKind::end && !first.cut) {
        profile.end = ProfileEnd::open_at_end;
        return;
      }
      if (first.kind == TokenKind::close) break;
      check_cell(first, row_where);
      const Token second = lexer_.next();
      if (second.kind == TokenKind::close) fail(second, row_where() + " has no rho column");
      check_cell(second, row_where);
      ++profile.row_count;
    }
    expect(TokenKind::close, "')'", [&] { return where; });
    profile.end = ProfileEnd::closed;
  }

  // A value: a quoted expression or a bare number. `where()` names the place, for a
  // message: the place is named only when something is wrong with it.
  template <typename Place>
  void check_cell(const Token& token, const Place& where) {
    if (token.kind == TokenKind::quoted) return;
    if (token.kind == TokenKind::word && is_plain_number(token.text)) return;
    if (token.kind == TokenKind::end) fail(token, "file ends inside " + where());
    if (token.kind == TokenKind::broken_quote) {
      fail(token, "quoted expression in " + where() + " is not closed on its line");
    }
    fail(token,
         "expected a number or a quoted expression in " + where() + ", found " + shown(token));
  }

  template <typename Place>
  void expect(TokenKind kind, std::string_view wanted, const Place& where) {
    const Token token = lexer_.next();
    if (token.kind == kind) return;
    if (token.kind == TokenKind::end) fail(token, "file ends inside " + where());
    fail(token, "expected " + std::string(wanted) + " in " + where() + ", found " + shown(token));
  }

  template <typename Place>
  void expect_word(std::string_view word, const Place& where) {
    const Token token = lexer_.next();
    if (token.kind == TokenKind::word && token.text == word) return;
    if (token.kind == TokenKind::end) fail(token, "file ends inside " + where());
    fail(token, "expected '" + std::string(word) + "' in " + where() + ", found " + shown(token));
  }

  [[noreturn]] void fail(const Token& token, std::string text) {
    diagnostics_.report(Finding::unreadable, token.line, std::move(text));
    throw Broken{};
  }

  std::uint64_t cut_from_;
  Lexer lexer_;
  Diagnostics& diagnostics_;
  ObjectFile file_;
  std::vector<Instruction> scratch_;  // the code of the value at hand
};

// Gives every name its one number, now that all are known, and warns of each variable
// defined again, naming the line of its first definition.
void number_names(ObjectFile& file, Diagnostics& diagnostics) {
  const std::vector<std::uint32_t> first = file.names.seal();
  std::vector<std::uint32_t> first_definition(file.names.size(), no_variable);
  for (std::size_t v = 0; v < file.variables.size(); ++v) {
    VariableBlock& block = file.variables[v];
    for (Instruction& step : file.code.at(block.code)) {
      if (step.op == Op::reference) step.symbol = first[step.symbol];
    }
    block.name = first[block.name];
    std::uint32_t& defined = first_definition[block.name];
    if (defined == no_variable) {
      defined = static_cast<std::uint32_t>(v);
      continue;
    }
    diagnostics.report(Finding::defined_again, block.line, [&] {
      return "variable " + shown_name(file.names.name(block.name)) +
             " is defined again (first at line " + std::to_string(file.variables[defined].line) +
             "); this later value is used";
    });
  }
}

}  // namespace

CodeStore::Place CodeStore::add(std::span<const Instruction> code) {
  constexpr std::size_t block_size = std::size_t{1} << 16;
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < code.size()) {
    if (blocks_.size() >= std::numeric_limits<std::uint32_t>::max()) {
      throw std::length_error("too many expressions");
    }
    blocks_.emplace_back().reserve(std::max(block_size, code.size()));
  }
  std::vector<Instruction>& block = blocks_.back();
  const Place place{static_cast<std::uint32_t>(blocks_.size() - 1),
                    static_cast<std::uint32_t>(block.size()),
                    static_cast<std::uint32_t>(code.size())};
  block.insert(block.end(), code.begin(), code.end());
  return place;
}

ObjectFile read_object_file(ByteSource& source, Diagnostics& diagnostics) {
  ObjectFile file = Reader(source, diagnostics).read();
  number_names(file, diagnostics);
  return file;
}

}  // namespace hornwall::view

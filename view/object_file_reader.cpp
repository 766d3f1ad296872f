#include "hornwall/view/object_file_reader.hpp"

#include <string>

#include "hornwall/view/characters.hpp"
#include "hornwall/view/expression.hpp"

namespace hornwall {
namespace {

enum class TokenKind { end, word, quoted, open, close, colon, comma, broken_quote };

struct Token {
  TokenKind kind = TokenKind::end;
  std::string_view text;
  std::size_t line = 0;
};

bool is_punctuation(char c) { return c == '(' || c == ')' || c == ':' || c == ',' || c == '"'; }

bool is_name(std::string_view word) {
  if (word.empty() || !is_name_start(word.front())) return false;
  for (const char c : word) {
    if (!is_name_char(c)) return false;
  }
  return true;
}

// Splits the text into tokens, counting lines.
class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  Token next() {
    while (at_ < text_.size() && is_blank(text_[at_])) {
      if (text_[at_] == '\n') ++line_;
      ++at_;
    }
    Token token;
    token.line = line_;
    if (at_ >= text_.size()) {
      // The end of the file is where its last token stood, not on the empty last line.
      token.line = last_line_;
      return token;
    }
    last_line_ = line_;
    const char c = text_[at_];
    const std::size_t start = at_;
    if (c == '"') {
      std::size_t close = start + 1;
      while (close < text_.size() && text_[close] != '"' && text_[close] != '\n') ++close;
      if (close >= text_.size() || text_[close] != '"') {
        token.kind = TokenKind::broken_quote;
        token.text = text_.substr(start, close - start);
        at_ = close;
        if (close >= text_.size()) token.kind = TokenKind::end;
        return token;
      }
      token.kind = TokenKind::quoted;
      token.text = text_.substr(start + 1, close - start - 1);
      at_ = close + 1;
      return token;
    }
    ++at_;
    token.text = text_.substr(start, 1);
    switch (c) {
      case '(': token.kind = TokenKind::open; return token;
      case ')': token.kind = TokenKind::close; return token;
      case ':': token.kind = TokenKind::colon; return token;
      case ',': token.kind = TokenKind::comma; return token;
      default: break;
    }
    while (at_ < text_.size() && !is_blank(text_[at_]) && !is_punctuation(text_[at_])) ++at_;
    token.kind = TokenKind::word;
    token.text = text_.substr(start, at_ - start);
    return token;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t line_ = 1;
  std::size_t last_line_ = 1;
};

// Thrown inside the reader only: the block at hand is broken; the message is reported.
struct Broken {};

class Reader {
 public:
  Reader(std::string_view text, Diagnostics& diagnostics)
      : lexer_(text), diagnostics_(diagnostics) {}

  ObjectFile read() {
    try {
      for (Token token = lexer_.next(); token.kind != TokenKind::end; token = lexer_.next()) {
        read_block(token);
      }
    } catch (const Broken&) {
    }
    return std::move(file_);
  }

 private:
  void read_block(const Token& name) {
    if (name.kind != TokenKind::word || !is_name(name.text)) {
      fail(name, "expected the name of an object, found " + shown(name));
    }
    const std::string where = "object " + quoted(name.text);
    const Token kind = lexer_.next();
    if (kind.kind == TokenKind::word && kind.text == "real_variable") {
      read_variable(name);
    } else if (kind.kind == TokenKind::word && kind.text == "circular_symmetric_horn_exterior") {
      read_profile(name);
    } else if (kind.kind == TokenKind::end) {
      fail(kind, "file ends inside " + where);
    } else {
      fail(kind, "unknown kind of object " + shown(kind) + " for " + where);
    }
  }

  void read_variable(const Token& name) {
    const std::string where = "variable " + quoted(name.text);
    expect(TokenKind::open, "'('", where);
    expect_word("value", where);
    expect(TokenKind::colon, "':'", where);
    const Token value = lexer_.next();
    const Cell cell = cell_of(value, where);
    expect(TokenKind::close, "')'", where);
    file_.variables.push_back({name.text, name.line, cell});
  }

  void read_profile(const Token& name) {
    file_.profiles.push_back({name.text, name.line, {}, {}, ProfileEnd::cut});
    ProfileBlock& profile = file_.profiles.back();
    const std::string where = "profile " + quoted(name.text);
    expect(TokenKind::open, "'('", where);
    for (;;) {
      const Token entry = lexer_.next();
      if (entry.kind == TokenKind::end) fail(entry, "file ends inside " + where);
      if (entry.kind != TokenKind::word) {
        fail(entry, "expected an entry of " + where + ", found " + shown(entry));
      }
      const std::string entry_where = "the " + std::string(entry.text) + " entry of " + where;
      if (entry.text == "nodes") {
        expect(TokenKind::colon, "':'", entry_where);
        expect_word("table", entry_where);
        expect(TokenKind::open, "'('", entry_where);
        break;
      }
      if (entry.text != "length_unit" && entry.text != "snap_to_aperture" &&
          entry.text != "coor_order") {
        fail(entry, "unknown entry " + shown(entry) + " in " + where);
      }
      expect(TokenKind::colon, "':'", entry_where);
      const Token setting = lexer_.next();
      if (setting.kind == TokenKind::end) fail(setting, "file ends inside " + where);
      if (setting.kind != TokenKind::word || !is_name(setting.text)) {
        fail(setting, "expected a setting in " + entry_where + ", found " + shown(setting));
      }
      if (entry.text == "length_unit") profile.unit = setting.text;
      expect(TokenKind::comma, "','", entry_where);
    }
    read_rows(profile, where);
  }

  void read_rows(ProfileBlock& profile, const std::string& where) {
    for (;;) {
      const Token first = lexer_.next();
      if (first.kind == TokenKind::end) {
        profile.end = ProfileEnd::open_at_end;
        return;
      }
      if (first.kind == TokenKind::close) break;
      const std::string row_where =
          "node " + std::to_string(profile.rows.size() + 1) + " of " + quoted(profile.name);
      const Cell z = cell_of(first, row_where);
      const Token second = lexer_.next();
      if (second.kind == TokenKind::close) fail(second, row_where + " has no rho column");
      const Cell rho = cell_of(second, row_where);
      profile.rows.push_back({first.line, z, rho});
    }
    expect(TokenKind::close, "')'", where);
    profile.end = ProfileEnd::closed;
  }

  Cell cell_of(const Token& token, const std::string& where) {
    if (token.kind == TokenKind::quoted) return {token.text, true};
    if (token.kind == TokenKind::word && is_plain_number(token.text)) return {token.text, false};
    if (token.kind == TokenKind::end) fail(token, "file ends inside " + where);
    if (token.kind == TokenKind::broken_quote) {
      fail(token, "quoted expression in " + where + " is not closed on its line");
    }
    fail(token, "expected a number or a quoted expression in " + where + ", found " + shown(token));
  }

  void expect(TokenKind kind, std::string_view wanted, const std::string& where) {
    const Token token = lexer_.next();
    if (token.kind == kind) return;
    if (token.kind == TokenKind::end) fail(token, "file ends inside " + where);
    fail(token, "expected " + std::string(wanted) + " in " + where + ", found " + shown(token));
  }

  void expect_word(std::string_view word, const std::string& where) {
    const Token token = lexer_.next();
    if (token.kind == TokenKind::word && token.text == word) return;
    if (token.kind == TokenKind::end) fail(token, "file ends inside " + where);
    fail(token, "expected '" + std::string(word) + "' in " + where + ", found " + shown(token));
  }

  // A token as a message shows it, cut after 40 characters; bytes that are not
  // printable are escaped when the message is written.
  static std::string shown(const Token& token) {
    if (token.kind == TokenKind::broken_quote) return "an unclosed quote";
    constexpr std::size_t longest = 40;
    std::string text(token.text.substr(0, longest));
    if (token.text.size() > longest) text += "...";
    if (token.kind == TokenKind::quoted) return '"' + text + '"';
    return quoted(text);
  }

  [[noreturn]] void fail(const Token& token, std::string text) {
    diagnostics_.error(token.line, std::move(text));
    throw Broken{};
  }

  Lexer lexer_;
  Diagnostics& diagnostics_;
  ObjectFile file_;
};

}  // namespace

ObjectFile read_object_file(std::string_view text, Diagnostics& diagnostics) {
  return Reader(text, diagnostics).read();
}

}  // namespace hornwall

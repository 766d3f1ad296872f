#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "hornwall/view/source.hpp"

// The tokens of an object file, read from a source through a window of a few kilobytes
// (more only for a longer token), counting lines.
namespace hornwall::view {

enum class TokenKind { end, word, quoted, open, close, colon, comma, broken_quote };

// A place in a source: a byte offset and the 1-based line it stands on.
struct Position {
  std::uint64_t offset = 0;
  std::uint64_t line = 1;
};

struct Token {
  TokenKind kind = TokenKind::end;
  // The token's text, valid until the next token is read: a word, the text between the
  // quotes of a quoted token, the quote and the rest of its line for a broken quote.
  std::string_view text;
  // The line the token stands on. The end stands where the last token stood, or, in a
  // file cut short, on its last line.
  std::uint64_t line = 1;
  // At the end only: the file stops inside a last line that has no line end, and
  // cut_kind and text are the token that began that line's text.
  bool cut = false;
  TokenKind cut_kind = TokenKind::end;
};

class Lexer {
 public:
  // Reads `source` from `start`. A token that begins at or after `cut_from` ends the file
  // as cut (see cut_line_start).
  Lexer(ByteSource& source, Position start, std::uint64_t cut_from);

  // The next token. A quoted token ends at its closing quote; one that meets a line end or
  // the end of the source first is a broken quote. Throws ReadFailure.
  Token next();
  // Where the search for the next token begins.
  Position position() const { return {at_, line_}; }
  // Goes on from `start`, keeping the window when it already holds that place.
  void seek(Position start);

 private:
  char byte(std::uint64_t at) const { return window_[static_cast<std::size_t>(at - base_)]; }
  // True when the byte at `at` is in the window, reading more of the source (and dropping
  // what lies before `keep`) when it is not; false at the end of the source.
  bool has(std::uint64_t at, std::uint64_t keep);
  std::string_view text(std::uint64_t begin, std::uint64_t end) const;
  // The offset of the first blank or punctuation from `from` on, or of the end of the
  // source, keeping the bytes from `keep` on in the window.
  std::uint64_t scan_word(std::uint64_t from, std::uint64_t keep);
  // The offset of the closing quote or line end of a quoted text from `from` on, or of
  // the end of the source.
  std::uint64_t scan_quoted(std::uint64_t from, std::uint64_t keep);

  ByteSource& source_;
  std::vector<char> window_;
  std::uint64_t base_ = 0;  // the offset of the window's first byte
  std::size_t filled_ = 0;  // the bytes of the window that hold the source
  std::uint64_t at_ = 0;
  std::uint64_t line_ = 1;
  std::uint64_t last_line_ = 1;
  std::uint64_t cut_from_;
};

// Where the last line of `source` starts when it holds something other than blanks and
// no line end follows it (the file was cut inside that line); the size of the source
// otherwise. Throws ReadFailure.
std::uint64_t cut_line_start(ByteSource& source);

}  // namespace hornwall::view

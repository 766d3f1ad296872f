#include "hornwall/view/lexer.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "hornwall/object_format.hpp"

namespace hornwall::view {
namespace {

using object_format::is_blank;

constexpr std::size_t first_window = std::size_t{1} << 16;

constexpr bool is_punctuation(char c) {
  return c == object_format::open || c == object_format::close || c == object_format::colon ||
         c == object_format::comma || c == object_format::quote;
}

// The classes of every byte, looked up rather than compared in the scanning loops.
constexpr unsigned char blank_class = 1;
constexpr unsigned char punctuation_class = 2;
constexpr auto byte_classes = [] {
  std::array<unsigned char, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    const auto byte = static_cast<char>(c);
    if (is_blank(byte)) classes[static_cast<std::size_t>(c)] |= blank_class;
    if (is_punctuation(byte)) classes[static_cast<std::size_t>(c)] |= punctuation_class;
  }
  return classes;
}();

unsigned char class_of(char c) { return byte_classes[static_cast<unsigned char>(c)]; }
bool is_blank_byte(char c) { return (class_of(c) & blank_class) != 0; }

}  // namespace

Lexer::Lexer(ByteSource& source, Position start, std::uint64_t cut_from)
    : source_(source),
      window_(first_window),
      base_(start.offset),
      at_(start.offset),
      line_(start.line),
      last_line_(start.line),
      cut_from_(cut_from) {}

void Lexer::seek(Position start) {
  if (start.offset < base_ || start.offset > base_ + filled_) {
    base_ = start.offset;
    filled_ = 0;
  }
  at_ = start.offset;
  line_ = start.line;
  last_line_ = start.line;
}

bool Lexer::has(std::uint64_t at, std::uint64_t keep) {
  while (at >= base_ + filled_) {
    if (base_ + filled_ >= source_.size()) return false;
    const auto drop = static_cast<std::size_t>(keep - base_);
    if (drop > 0) {
      std::memmove(window_.data(), window_.data() + drop, filled_ - drop);
      base_ = keep;
      filled_ -= drop;
    }
    if (filled_ == window_.size()) window_.resize(2 * window_.size());
    const std::size_t got =
        source_.read(base_ + filled_, window_.data() + filled_, window_.size() - filled_);
    if (got == 0) return false;  // the file was cut short since it was opened
    filled_ += got;
  }
  return true;
}

std::string_view Lexer::text(std::uint64_t begin, std::uint64_t end) const {
  return {window_.data() + (begin - base_), static_cast<std::size_t>(end - begin)};
}

Token Lexer::next() {
  // Blanks, scanned a window at a time.
  for (;;) {
    const char* at = window_.data() + (at_ - base_);
    const char* const end = window_.data() + filled_;
    while (at != end && is_blank_byte(*at)) {
      if (*at == '\n') ++line_;
      ++at;
    }
    at_ = base_ + static_cast<std::uint64_t>(at - window_.data());
    if (at != end) break;
    if (!has(at_, at_)) {
      Token token;
      token.line = last_line_;
      return token;
    }
  }
  Token token;
  token.line = line_;
  last_line_ = line_;
  const std::uint64_t start = at_;
  const char first = byte(start);
  if (first == object_format::quote) {
    const std::uint64_t end = scan_quoted(start + 1, start);
    if (has(end, start) && byte(end) == object_format::quote) {
      token.kind = TokenKind::quoted;
      token.text = text(start + 1, end);
      at_ = end + 1;
    } else {
      token.kind = TokenKind::broken_quote;
      token.text = text(start, end);
      at_ = end;
    }
  } else if (is_punctuation(first)) {
    token.text = text(start, start + 1);
    at_ = start + 1;
    switch (first) {
      case object_format::open: token.kind = TokenKind::open; break;
      case object_format::close: token.kind = TokenKind::close; break;
      case object_format::colon: token.kind = TokenKind::colon; break;
      default: token.kind = TokenKind::comma; break;
    }
  } else {
    const std::uint64_t end = scan_word(start + 1, start);
    token.kind = TokenKind::word;
    token.text = text(start, end);
    at_ = end;
  }
  if (start >= cut_from_) {
    token.cut = true;
    token.cut_kind = token.kind;
    token.kind = TokenKind::end;
  }
  return token;
}

std::uint64_t Lexer::scan_quoted(std::uint64_t from, std::uint64_t keep) {
  std::uint64_t end = from;
  while (has(end, keep)) {
    const char* at = window_.data() + (end - base_);
    const auto length = static_cast<std::size_t>(window_.data() + filled_ - at);
    // The closing quote, and then whether a line end comes first, each found at once.
    const void* quote = std::memchr(at, object_format::quote, length);
    const std::size_t before =
        quote != nullptr ? static_cast<std::size_t>(static_cast<const char*>(quote) - at) : length;
    const void* line_end = std::memchr(at, '\n', before);
    if (line_end != nullptr)
      return end + static_cast<std::size_t>(static_cast<const char*>(line_end) - at);
    end += before;
    if (quote != nullptr) break;
  }
  return end;
}

std::uint64_t Lexer::scan_word(std::uint64_t from, std::uint64_t keep) {
  std::uint64_t end = from;
  while (has(end, keep)) {
    const char* at = window_.data() + (end - base_);
    const char* const stop = window_.data() + filled_;
    while (at != stop && class_of(*at) == 0) ++at;
    end = base_ + static_cast<std::uint64_t>(at - window_.data());
    if (at != stop) break;
  }
  return end;
}

std::uint64_t cut_line_start(ByteSource& source) {
  const std::uint64_t size = source.size();
  std::vector<char> block(first_window);
  bool non_blank = false;
  // Backwards from the end, block by block, to the last line end.
  for (std::uint64_t end = size; end > 0;) {
    const std::uint64_t begin = end > block.size() ? end - block.size() : 0;
    const auto length = static_cast<std::size_t>(end - begin);
    const std::size_t got = source.read(begin, block.data(), length);
    if (got < length) return size;  // cut short since it was opened: nothing to say
    for (std::size_t i = length; i > 0; --i) {
      const char c = block[i - 1];
      if (c == '\n') return non_blank ? begin + i : size;
      if (!is_blank(c)) non_blank = true;
    }
    end = begin;
  }
  return non_blank ? 0 : size;
}

}  // namespace hornwall::view

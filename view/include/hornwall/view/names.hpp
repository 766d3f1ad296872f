#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The names of an object file, each known by a small number.
namespace hornwall::view {

// A set of names. While a file is first read, names are only added, each occurrence
// with a number of its own; seal() then finds the names added more than once and gives
// every occurrence the number of the first, building the table that finds a name by its
// text (in one pass in the table's order, which is far quicker than a search per name
// for a million names). After that, intern() finds a name or adds a new one.
class Names {
 public:
  Names();
  // Before seal(): adds an occurrence of `name` and returns its number. After: the
  // number of `name`, which is added when it is new. Throws std::length_error when more
  // names than a 32-bit number can count are met.
  std::uint32_t intern(std::string_view name);
  // The same, trying first the name after the last one found, so that names met in the
  // order they were first met (RSP1, RSP2, ... row by row) are found without a search of
  // the whole table, and then the few names found lately.
  std::uint32_t intern_next(std::string_view name);
  // Gives every occurrence added so far the number of the first occurrence of its name,
  // which is returned for each number given so far, and builds the table. Names added
  // later are found in it.
  std::vector<std::uint32_t> seal();
  // After seal(): the number of `name`, or none when it was never met.
  std::optional<std::uint32_t> find(std::string_view name) const;
  // The name with number `id`.
  std::string_view name(std::uint32_t id) const;
  std::size_t size() const { return begins_.size(); }

 private:
  std::uint32_t add(std::string_view name);
  // The place of `name` among the recent ones.
  std::size_t digest(std::string_view name) const;
  void grow();
  // The slot that holds `name`, or the empty slot where it would go.
  std::size_t slot_of(std::string_view name, std::uint64_t hash) const;

  std::string text_;                 // every name, one after the other
  std::vector<std::size_t> begins_;  // where each name starts in text_
  // Open addressing: a name's number in the low half and its hash's high half in the
  // high half, so that most slots are told apart without reading the name; or empty.
  std::vector<std::uint64_t> slots_;
  bool sealed_ = false;
  std::vector<bool> first_;  // after seal(): the numbers that are their name's own
  std::uint32_t guess_ = 0;  // the name after the last found by intern_next
  // A few names met lately, by a digest of their text.
  std::array<std::uint32_t, 64> recent_;
};

}  // namespace hornwall::view

#include "hornwall/view/names.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace hornwall::view {
namespace {

constexpr std::uint64_t empty_slot = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t no_name = std::numeric_limits<std::uint32_t>::max();

std::uint64_t hash_of(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  return hash ^ (hash >> 29);
}

std::uint64_t tag_of(std::uint64_t hash) { return hash & ~std::uint64_t{0xffffffff}; }
std::uint32_t id_of(std::uint64_t slot) { return static_cast<std::uint32_t>(slot & 0xffffffff); }

// The smallest table, a power of two, that `count` names fill at most half.
std::size_t capacity_for(std::size_t count) {
  std::size_t capacity = 64;
  while (capacity < 2 * (count + 1)) capacity *= 2;
  return capacity;
}

}  // namespace

Names::Names() { recent_.fill(static_cast<std::uint32_t>(no_name)); }

std::string_view Names::name(std::uint32_t id) const {
  const std::size_t begin = begins_[id];
  const std::size_t end = id + 1 < begins_.size() ? begins_[id + 1] : text_.size();
  return std::string_view(text_).substr(begin, end - begin);
}

std::uint32_t Names::add(std::string_view name) {
  if (begins_.size() >= no_name) throw std::length_error("too many names");
  const auto id = static_cast<std::uint32_t>(begins_.size());
  begins_.push_back(text_.size());
  text_.append(name);
  return id;
}

std::vector<std::uint32_t> Names::seal() {
  const auto count = static_cast<std::uint32_t>(begins_.size());
  slots_.assign(capacity_for(count), empty_slot);
  const std::size_t mask = slots_.size() - 1;
  // The names are placed in the order of their first slot, so that the table is written
  // from its start to its end rather than all over.
  struct Entry {
    std::uint64_t hash;
    std::uint32_t id;
  };
  std::vector<Entry> entries(count);
  for (std::uint32_t id = 0; id < count; ++id) entries[id] = {hash_of(name(id)), id};
  std::sort(entries.begin(), entries.end(), [mask](const Entry& a, const Entry& b) {
    if ((a.hash & mask) != (b.hash & mask)) return (a.hash & mask) < (b.hash & mask);
    return a.id < b.id;
  });
  std::vector<std::uint32_t> first(count);
  for (const Entry& entry : entries) {
    const std::size_t at = slot_of(name(entry.id), entry.hash);
    if (slots_[at] == empty_slot) {
      slots_[at] = tag_of(entry.hash) | entry.id;
      first[entry.id] = entry.id;
    } else {
      // The same name again: its first occurrence was placed already, or is placed
      // here when this one came first.
      const std::uint32_t placed = id_of(slots_[at]);
      const std::uint32_t earliest = std::min(placed, entry.id);
      slots_[at] = tag_of(entry.hash) | earliest;
      first[entry.id] = earliest;
      first[placed] = earliest;
    }
  }
  // Occurrences met before the earliest was placed still name a later one.
  first_.resize(count);
  for (std::uint32_t id = 0; id < count; ++id) {
    first[id] = first[first[id]];
    first_[id] = first[id] == id;
  }
  sealed_ = true;
  guess_ = 0;
  recent_.fill(static_cast<std::uint32_t>(no_name));
  return first;
}

void Names::grow() {
  const std::size_t capacity = slots_.size() * 2;
  std::vector<std::uint64_t> old(capacity, empty_slot);
  old.swap(slots_);
  const std::size_t mask = capacity - 1;
  for (const std::uint64_t slot : old) {
    if (slot == empty_slot) continue;
    std::size_t at = hash_of(name(id_of(slot))) & mask;
    while (slots_[at] != empty_slot) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

std::size_t Names::slot_of(std::string_view name, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  const std::uint64_t tag = tag_of(hash);
  std::size_t at = hash & mask;
  for (; slots_[at] != empty_slot; at = (at + 1) & mask) {
    if (tag_of(slots_[at]) == tag && this->name(id_of(slots_[at])) == name) return at;
  }
  return at;
}

std::size_t Names::digest(std::string_view name) const {
  const std::size_t first = name.empty() ? 0 : static_cast<unsigned char>(name.front());
  const std::size_t last = name.empty() ? 0 : static_cast<unsigned char>(name.back());
  return (first * 31 + last * 131 + name.size() * 7) % recent_.size();
}

std::uint32_t Names::intern_next(std::string_view name) {
  if (sealed_ && guess_ < begins_.size() && first_[guess_] && this->name(guess_) == name) {
    return guess_++;
  }
  std::uint32_t& recent = recent_[digest(name)];
  if (recent < begins_.size() && this->name(recent) == name) return recent;
  recent = intern(name);
  if (sealed_ && recent >= guess_) guess_ = recent + 1;
  return recent;
}

std::optional<std::uint32_t> Names::find(std::string_view name) const {
  if (slots_.empty()) return std::nullopt;
  const std::uint64_t slot = slots_[slot_of(name, hash_of(name))];
  if (slot == empty_slot) return std::nullopt;
  return id_of(slot);
}

std::uint32_t Names::intern(std::string_view name) {
  if (!sealed_) {
    // A name met again soon, as references to the variable just defined are, is added
    // once; the others are merged by seal().
    std::uint32_t& recent = recent_[digest(name)];
    if (recent < begins_.size() && this->name(recent) == name) return recent;
    recent = add(name);
    return recent;
  }
  const std::uint64_t hash = hash_of(name);
  std::size_t at = slot_of(name, hash);
  if (slots_[at] != empty_slot) return id_of(slots_[at]);
  // The table is kept at most half full, so that a search ends soon.
  if (2 * (begins_.size() + 1) > slots_.size()) {
    grow();
    at = slot_of(name, hash);
  }
  const std::uint32_t id = add(name);
  first_.push_back(true);
  slots_[at] = tag_of(hash) | id;
  return id;
}

}  // namespace hornwall::view

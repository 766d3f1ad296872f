// What a check against bands costs in memory: every allocation of this test binary goes
// through the operator new below, which counts the allocations and the bytes they hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/bands.hpp"
#include "hornwall/view/view.hpp"

namespace {

struct Heap {
  std::size_t live = 0;         // bytes held now
  std::size_t peak = 0;         // the most held since the last start
  std::size_t allocations = 0;  // since the last start
};
Heap heap;

// Each block carries its size before it, so that its release can count it.
constexpr std::size_t header = alignof(std::max_align_t);

void* allocate(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + header));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  heap.live += size;
  heap.peak = std::max(heap.peak, heap.live);
  ++heap.allocations;
  return block + header;
}

void release(void* pointer) noexcept {
  if (pointer == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(pointer) - header;
  heap.live -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* pointer) noexcept { release(pointer); }
void operator delete[](void* pointer) noexcept { release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { release(pointer); }

namespace hornwall::view {
namespace {

// What examining `text` against `bands` held at its peak beyond what was held before, and
// how many allocations it made.
Heap examine_counted(const std::string& text, const std::vector<std::string_view>& bands) {
  CheckSettings settings;
  for (const std::string_view band : bands) settings.bands.push_back(parse_band(band).value());
  const std::size_t before = heap.live;
  heap.peak = before;
  heap.allocations = 0;
  {
    TextSource source(text);
    const Examined examined = examine(source, settings);
  }
  return {heap.live - before, heap.peak - before, heap.allocations};
}

TEST(ViewBandMemory, AProfileKeepsAFewNumbersPerBandWhateverItsCorrugations) {
  // Many tiny profiles of one bump each: 8 mm high, capacitive over all of 10-12 GHz and
  // 17-20 GHz; 1 mm high, over none.
  for (const std::string_view bump : {"-1 58", "-1 51"}) {
    SCOPED_TRACE(bump);
    constexpr std::size_t profiles = 20000;
    std::string text;
    for (std::size_t i = 0; i < profiles; ++i) {
      text.append("p").append(std::to_string(i));
      text.append(
          " circular_symmetric_horn_exterior\n(\nlength_unit : mm,\nnodes : table\n(\n0 50\n");
      text.append(bump).append("\n-2 50\n)\n)\n");
    }
    const Heap plain = examine_counted(text, {});
    const Heap banded = examine_counted(text, {"10:12", "17:20"});
    // Less than the file itself, and one allocation a profile: its bands' summaries.
    EXPECT_LT(banded.peak - plain.peak, text.size());
    EXPECT_LE(banded.allocations - plain.allocations, profiles + 1000);
  }
}

}  // namespace
}  // namespace hornwall::view

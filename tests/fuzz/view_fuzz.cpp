// Feeds arbitrary object files to the viewer, in-process: no input may crash it, hang it
// or reach undefined behaviour, and every output must keep its form whatever the input
// (see output_fault). The whole input is the object file; an odd length asks for the
// mirror image too, the length's second bit for a check against two bands, and its third
// for a threshold of 60% instead of 25%. The corpus
// (view-corpus/) holds the shipped examples, cut below 8 KiB, hostile files and every input that
// found a fault; the unit tests view each of its files again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "view_output_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<hornwall::FrequencyBand> bands = {hornwall::parse_band("10:12").value(),
                                                             hornwall::parse_band("17:20").value()};
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::span<const hornwall::FrequencyBand> checked =
      size % 4 >= 2 ? std::span(bands) : std::span<const hornwall::FrequencyBand>();
  const double min_coverage = size % 8 >= 4 ? 60.0 : hornwall::default_min_coverage;
  const std::string fault =
      hornwall::view::output_checks::output_fault(text, size % 2 == 1, checked, min_coverage);
  if (!fault.empty()) {
    std::fprintf(stderr, "hornwall_view_fuzz: %s\n", fault.c_str());
    __builtin_trap();
  }
  return 0;
}

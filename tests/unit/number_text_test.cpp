// Number texts: the C++ library's forms and the C library's, which stand in for them where
// the C++ library has no floating-point to_chars or from_chars, are the same texts.
#include "hornwall/number_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "hornwall/portable.hpp"

namespace hornwall {
namespace {

// Doubles of every kind: edges, tidy decimals, and bit patterns drawn over every exponent.
std::vector<double> sample_doubles() {
  constexpr double max = std::numeric_limits<double>::max();
  constexpr double least = std::numeric_limits<double>::denorm_min();
  std::vector<double> values = {0.0,
                                -0.0,
                                1.0,
                                -1.0,
                                0.1,
                                0.5,
                                9.5,
                                10.0,
                                1e21,
                                1e22,
                                1e-5,
                                1e-4,
                                1e-7,
                                123456.0,
                                1e15,
                                1e16,
                                1e17,
                                5e-324,
                                least,
                                max,
                                -max,
                                2e-308,
                                2.2250738585072014e-308,
                                7.6477,
                                0.3,
                                2.0 / 3.0,
                                9.5367431640625e-07,
                                299792458.0,
                                1.0e100,
                                4.35e-5};
  std::mt19937_64 random(20261210);
  for (int i = 0; i < 6000; ++i) {
    const std::uint64_t bits = random();
    const double value = bit_cast<double>(bits);
    if (std::isfinite(value)) values.push_back(value);
  }
  for (int i = 0; i < 2000; ++i) {
    const auto digits = static_cast<double>(random() % 100000000);
    const int exponent = static_cast<int>(random() % 40) - 20;
    values.push_back(digits * std::pow(10.0, exponent));
  }
  // Powers of two, where a value's interval is lopsided.
  for (int exponent = -1074; exponent <= 1023; exponent += 7) {
    values.push_back(std::ldexp(1.0, exponent));
  }
  return values;
}

TEST(NumberText, TheCLibraryWritesDoublesAsTheCppLibraryDoes) {
  int mismatches = 0;
  for (const double value : sample_doubles()) {
    const auto compare = [&](const char* what, const std::string& cpp, const std::string& c) {
      if (cpp == c || ++mismatches > 20) return;
      ADD_FAILURE() << what << " of " << cpp << ": the C library writes " << c;
    };
    std::string cpp, c;
    append_shortest(cpp, value);
    c_library::append_shortest(c, value);
    compare("shortest", cpp, c);
    for (const int digits : {0, 1, 4, 5, 6, 16, 17}) {
      cpp.clear(), c.clear();
      append_scientific(cpp, value, digits);
      c_library::append_scientific(c, value, digits);
      compare("scientific", cpp, c);
      cpp.clear(), c.clear();
      append_general(cpp, value, digits == 0 ? 1 : digits);
      c_library::append_general(c, value, digits == 0 ? 1 : digits);
      compare("general", cpp, c);
      if (std::fabs(value) < 1e30) {
        cpp.clear(), c.clear();
        append_fixed(cpp, value, digits);
        c_library::append_fixed(c, value, digits);
        compare("fixed", cpp, c);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  // The values that are no number, in every form.
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double value;
    std::string_view text;
  } not_numbers[] = {{inf, "inf"}, {-inf, "-inf"}, {nan, "nan"}, {-nan, "-nan"}};
  for (const auto& c : not_numbers) {
    std::string cpp, c_text;
    append_shortest(cpp, c.value);
    c_library::append_shortest(c_text, c.value);
    EXPECT_EQ(cpp, c.text);
    EXPECT_EQ(c_text, c.text);
    cpp.clear(), c_text.clear();
    append_scientific(cpp, c.value, 4);
    c_library::append_scientific(c_text, c.value, 4);
    EXPECT_EQ(c_text, cpp);
    cpp.clear(), c_text.clear();
    append_general(cpp, c.value, 6);
    c_library::append_general(c_text, c.value, 6);
    EXPECT_EQ(c_text, cpp);
  }
}

TEST(NumberText, TheCLibraryWritesFloatsAsTheCppLibraryDoes) {
  std::mt19937 random(20261210);
  std::vector<float> values = {0.0f,        -0.0f,         1.0f,   0.1f,
                               7.6477f,     3.4028235e38f, 1e-45f, 1.17549435e-38f,
                               16777216.0f, 16777217.0f};
  for (int i = 0; i < 10000; ++i) {
    const float value = bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (std::isfinite(value)) values.push_back(value);
  }
  int mismatches = 0;
  for (const float value : values) {
    std::string cpp, c;
    append_shortest(cpp, value);
    c_library::append_shortest(c, value);
    if (cpp != c && ++mismatches <= 20) ADD_FAILURE() << cpp << " written as " << c;
  }
  EXPECT_EQ(mismatches, 0);
}

// Every text read alike, the number, the range and the refusals.
TEST(NumberText, TheCLibraryReadsAsTheCppLibraryDoes) {
  std::vector<std::string> texts = {"0",
                                    "-0",
                                    "1",
                                    "1.",
                                    ".5",
                                    "-.5",
                                    "1e5",
                                    "1E+5",
                                    "1e-5",
                                    "1e400",
                                    "-1e400",
                                    "1e-400",
                                    "0e-400",
                                    "5e-324",
                                    "2e-324",
                                    "3e-324",
                                    "2.4703282292062327e-324",
                                    "2.4703282292062328e-324",
                                    "1.7976931348623157e308",
                                    "1.7976931348623159e308",
                                    "inf",
                                    "-Infinity",
                                    "nan",
                                    "NaN(1)",
                                    "+1",
                                    " 1",
                                    "1 ",
                                    "",
                                    "-",
                                    ".",
                                    "e5",
                                    "1e",
                                    "1e+",
                                    "0x10",
                                    "1,5",
                                    "abc",
                                    "infin",
                                    "3.4028236e38",
                                    "1e-46",
                                    "7.006e-46"};
  std::mt19937_64 random(7);
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    append_shortest(text, bit_cast<double>(random()));
    texts.push_back(text);
    texts.push_back(std::to_string(random() % 1000) + "." + std::to_string(random()) + "e" +
                    std::to_string(static_cast<int>(random() % 700) - 350));
  }
  for (const std::string& text : texts) {
    const NumberReading<double> cpp = read_double(text);
    const NumberReading<double> c = c_library::read_double(text);
    EXPECT_EQ(cpp.status, c.status) << text;
    if (cpp.status == NumberRead::ok && c.status == NumberRead::ok && !std::isnan(cpp.value)) {
      EXPECT_EQ(bit_cast<std::uint64_t>(cpp.value), bit_cast<std::uint64_t>(c.value)) << text;
    }
    const NumberReading<float> cpp_float = read_float(text);
    const NumberReading<float> c_float = c_library::read_float(text);
    EXPECT_EQ(cpp_float.status, c_float.status) << text << " as a float";
    if (cpp_float.status == NumberRead::ok && !std::isnan(cpp_float.value)) {
      EXPECT_EQ(bit_cast<std::uint32_t>(cpp_float.value), bit_cast<std::uint32_t>(c_float.value))
          << text;
    }
  }
}

}  // namespace
}  // namespace hornwall

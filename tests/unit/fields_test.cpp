#include "hornwall/fields.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace hornwall {
namespace {

struct SciCase {
  float value;
  const char* sci12_4;
  const char* sci12_5;
};

TEST(SciField, WritesTwelveColumnsRoundedToNearestEven) {
  const float infinity = std::numeric_limits<float>::infinity();
  const SciCase cases[] = {
      {25.4f, "  2.5400E+01", " 2.54000E+01"},
      {-25.4f, " -2.5400E+01", "-2.54000E+01"},
      {-0.5f, " -5.0000E-01", "-5.00000E-01"},
      {9.99996f, "  1.0000E+01", " 9.99996E+00"},  // carry into the exponent
      {9.999996f, "  1.0000E+01", " 1.00000E+01"},
      {0.00125f, "  1.2500E-03", " 1.25000E-03"},
      {1.03125f, "  1.0312E+00", " 1.03125E+00"},  // a tie goes to the even digit
      {1.09375f, "  1.0938E+00", " 1.09375E+00"},
      {0.0f, "  0.0000E+00", " 0.00000E+00"},
      {-0.0f, "  0.0000E+00", " 0.00000E+00"},  // zero has no sign
      {FLT_MAX, "  3.4028E+38", " 3.40282E+38"},
      {-FLT_MAX, " -3.4028E+38", "-3.40282E+38"},
      {FLT_MIN, "  1.1755E-38", " 1.17549E-38"},
      {std::numeric_limits<float>::denorm_min(), "  1.4013E-45", " 1.40130E-45"},
      {1.53211e-14f, "  1.5321E-14", " 1.53211E-14"},
      {infinity, "    Infinity", "    Infinity"},
      {-infinity, "   -Infinity", "   -Infinity"},
      {std::numeric_limits<float>::quiet_NaN(), "         NaN", "         NaN"},
  };
  for (const SciCase& c : cases) {
    EXPECT_EQ(sci12_4(c.value), c.sci12_4) << c.value;
    EXPECT_EQ(sci12_5(c.value), c.sci12_5) << c.value;
  }
}

// libc's exact conversion is the oracle for the rounding of every other value.
TEST(SciField, AgreesWithLibcOverRandomFloats) {
  std::mt19937 random(20261209);
  for (int n = 0; n < 200000; ++n) {
    const auto bits = static_cast<std::uint32_t>(random());
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value) || value == 0.0f) continue;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%12.4E", static_cast<double>(value));
    ASSERT_EQ(sci12_4(value), expected) << bits;
    std::snprintf(expected, sizeof expected, "%12.5E", static_cast<double>(value));
    ASSERT_EQ(sci12_5(value), expected) << bits;
  }
}

TEST(IntField, RightJustifiesAndNeverWritesAsterisks) {
  const struct {
    std::int64_t value;
    IntWidth width;
    const char* text;
  } cases[] = {
      {7, IntWidth::two, " 7"},
      {-5, IntWidth::two, "-5"},
      {100, IntWidth::two, "100"},
      {99, IntWidth::two, "99"},
      {12, IntWidth::three, " 12"},
      {999, IntWidth::three, "999"},
      {1000, IntWidth::three, "1000"},
      {-10, IntWidth::two, "-10"},
      {5, IntWidth::one, "5"},
      {10, IntWidth::one, "10"},
      {0, IntWidth::three, "  0"},
      {4294967296, IntWidth::three, "4294967296"},
      {INT64_MIN, IntWidth::two, "-9223372036854775808"},
  };
  for (const auto& c : cases) EXPECT_EQ(int_field(c.value, c.width), c.text) << c.value;
}

TEST(EchoField, IntegersTakeTwelveColumns) {
  const struct {
    std::int32_t value;
    const char* text;
  } cases[] = {{3, "           3"}, {-7, "          -7"}, {INT32_MIN, " -2147483648"}};
  for (const auto& c : cases) {
    std::string echo;
    append_echo_integer(echo, c.value);
    EXPECT_EQ(echo, c.text);
  }
}

TEST(EchoField, RealsSwitchBetweenFixedAndExponentForm) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {25.4f, "   25.40000    "},
      {0.5f, "  0.5000000    "},
      {2.5f, "   2.500000    "},
      {-25.4f, "  -25.40000    "},
      {10.0f, "   10.00000    "},
      {1234567.0f, "   1234567.    "},
      {-1234567.0f, "  -1234567.    "},
      {0.1f, "  0.1000000    "},
      {0.099999994f, "  0.9999999E-01"},  // the largest float below 0.1
      {0.09999990f, "  0.9999990E-01"},
      {9999999.0f, "   9999999.    "},
      {1.0e7f, "  0.1000000E+08"},
      {9999999.5f, "  0.1000000E+08"},  // rounds up out of fixed form
      {-12345678.0f, " -0.1234568E+08"},
      {0.01f, "  0.1000000E-01"},
      {1048576.5f, "   1048576.    "},  // a tie goes to the even digit
      {0.0f, "  0.0000000E+00"},
      {-0.0f, "  0.0000000E+00"},
      {FLT_MAX, "  0.3402823E+39"},
      {std::numeric_limits<float>::denorm_min(), "  0.1401298E-44"},
  };
  for (const auto& c : cases) {
    std::string echo;
    append_echo_real(echo, c.value);
    EXPECT_EQ(echo, c.text) << c.value;
  }
}

}  // namespace
}  // namespace hornwall

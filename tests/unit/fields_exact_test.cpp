// The fast sci fields against slow exact references, over millions of floats: every
// exponent, every tie (a value exactly halfway between two fields) and its neighbours,
// and every float of a few whole binades. Also the integer fields over a range, and the
// writer's blocks of whole lines.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/fields.hpp"
#include "hornwall/object_writer.hpp"

// Unoptimised and sanitised builds check a spread-out part of each range, so that the
// suite stays quick there too.
#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
#define HORNWALL_SLOW_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define HORNWALL_SLOW_BUILD 1
#endif
#endif

namespace hornwall {
namespace {

#ifdef HORNWALL_SLOW_BUILD
constexpr std::uint32_t stride = 61;
#else
constexpr std::uint32_t stride = 1;
#endif

float from_bits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The exact decimal expansion of a finite non-zero |value|, far enough to round it:
// d.ddd... * 10^exponent, where `beyond` tells whether any digit after those kept is not 0.
struct Expansion {
  std::string digits;
  int exponent;
  bool beyond;
};

// |value| = m * 2^e is the integer m * 2^e for e >= 0, else m * 5^-e / 10^-e. The integer
// is worked out in base 10^9 limbs, least significant first.
Expansion exact_expansion(float value) {
  constexpr std::uint32_t base = 1000000000;
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const auto biased = static_cast<int>((bits >> 23) & 0xff);
  const std::uint32_t m = (bits & 0x7fffffu) | (biased == 0 ? 0u : 0x800000u);
  const int e = (biased == 0 ? 1 : biased) - 150;
  std::uint32_t limbs[16] = {m % base, m / base};
  int count = 2;
  const auto multiply = [&](std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < count; ++i) {
      const std::uint64_t product = std::uint64_t{limbs[i]} * factor + carry;
      limbs[i] = static_cast<std::uint32_t>(product % base);
      carry = product / base;
    }
    if (carry != 0) limbs[count++] = static_cast<std::uint32_t>(carry);
  };
  // Powers of 2 and 5 in chunks that keep a limb's product below 2^64.
  int left = e >= 0 ? e : -e;
  const std::uint32_t chunk = e >= 0 ? 1u << 29 : 1220703125u;  // 2^29 or 5^13
  const int chunk_power = e >= 0 ? 29 : 13;
  for (; left >= chunk_power; left -= chunk_power) multiply(chunk);
  for (; left > 0; --left) multiply(e >= 0 ? 2 : 5);
  while (limbs[count - 1] == 0) --count;

  Expansion x{std::to_string(limbs[count - 1]), 0, false};
  const int digit_count = static_cast<int>(x.digits.size()) + 9 * (count - 1);
  x.exponent = digit_count - 1 + (e < 0 ? e : 0);
  int limb = count - 2;
  if (limb >= 0) {  // the next limb's nine digits are enough to round to six
    char text[9];
    std::uint32_t rest = limbs[limb--];
    for (int i = 8; i >= 0; --i, rest /= 10) text[i] = static_cast<char>('0' + rest % 10);
    x.digits.append(text, 9);
  }
  for (; limb >= 0; --limb) x.beyond = x.beyond || limbs[limb] != 0;
  return x;
}

// The field of n `digits` and `exponent`, as it must read.
std::string field_text(bool negative, std::uint32_t digits, int exponent) {
  char text[16] = {};
  char* end = std::to_chars(text + 1, text + 8, digits).ptr;  // d.dddd after one shift
  text[0] = text[1];
  text[1] = '.';
  *end++ = 'E';
  *end++ = exponent < 0 ? '-' : '+';
  const int magnitude = std::abs(exponent);
  *end++ = static_cast<char>('0' + magnitude / 10);
  *end++ = static_cast<char>('0' + magnitude % 10);
  const auto size = static_cast<std::size_t>(end - text) + (negative ? 1 : 0);
  std::string field(12 - size, ' ');
  if (negative) field += '-';
  return field.append(text, end);
}

// The field of a finite non-zero value from its exact expansion, rounded to n significant
// digits, ties to even.
std::string reference_field(float value, const Expansion& x, int n) {
  const std::string_view digits = x.digits;
  const auto count = static_cast<std::size_t>(n);
  std::uint32_t q = 0;
  for (std::size_t i = 0; i < count; ++i) {
    q = q * 10 + (i < digits.size() ? static_cast<std::uint32_t>(digits[i] - '0') : 0);
  }
  const char next = count < digits.size() ? digits[count] : '0';
  const bool beyond = x.beyond || (count + 1 < digits.size() &&
                                   digits.find_first_not_of('0', count + 1) != std::string::npos);
  const bool up = next > '5' || (next == '5' && (beyond || q % 2 == 1));
  int exponent = x.exponent;
  if (up && ++q == (n == 5 ? 100000u : 1000000u)) {
    q /= 10;
    ++exponent;
  }
  return field_text(std::signbit(value), q, exponent);
}

// libc's conversion of the double, exact from the binary value.
std::string libc_field(float value, int n) {
  char text[32];
  std::snprintf(text, sizeof text, "%12.*E", n - 1, static_cast<double>(value));
  return text;
}

void expect_exact(float value) {
  const Expansion x = exact_expansion(value);
  ASSERT_EQ(sci12_4(value), reference_field(value, x, 5)) << std::hexfloat << value;
  ASSERT_EQ(sci12_5(value), reference_field(value, x, 6)) << std::hexfloat << value;
}

TEST(SciFieldExact, TheReferencesAgreeOnKnownExpansions) {
  const Expansion x = exact_expansion(1.03125f);
  EXPECT_EQ(x.digits.substr(0, 7), "1031250");
  EXPECT_EQ(x.exponent, 0);
  const Expansion tenth = exact_expansion(0.1f);  // 0.100000001490116119384765625
  EXPECT_EQ(tenth.digits.substr(0, 16), "1000000014901161");
  EXPECT_EQ(tenth.exponent, -1);
  EXPECT_TRUE(tenth.beyond);
  EXPECT_EQ(exact_expansion(1.0e10f).digits, "10000000000");
  EXPECT_EQ(exact_expansion(1.0e10f).exponent, 10);
  EXPECT_EQ(reference_field(1.03125f, x, 5), "  1.0312E+00");
  EXPECT_EQ(reference_field(-9.99996f, exact_expansion(-9.99996f), 5), " -1.0000E+01");
}

// Every exponent of both signs, with random mantissas: against the exact expansion and
// against libc.
TEST(SciFieldExact, RandomFloatsOfEveryExponent) {
  std::mt19937 random(1203);
  constexpr int per_exponent = 8192 / static_cast<int>(stride);
  for (std::uint32_t biased = 0; biased < 255; ++biased) {
    for (int i = 0; i < per_exponent; ++i) {
      const std::uint32_t bits =
          (static_cast<std::uint32_t>(random()) & 0x807fffffu) | (biased << 23);
      const float value = from_bits(bits);
      if (value == 0.0f) continue;
      expect_exact(value);
      if (i % 8 == 0) {
        ASSERT_EQ(sci12_4(value), libc_field(value, 5)) << bits;
        ASSERT_EQ(sci12_5(value), libc_field(value, 6)) << bits;
      }
    }
  }
}

// A tie is (q + 1/2) * 10^(E-n+1) for an n-digit q: with j = E-n+1 it is
// (2q+1) * 5^j * 2^(j-1), a float only where the odd factor left fits 24 bits. It rounds
// to the even one of q and q+1; the floats just above and below it round away from it.
void check_ties(int n) {
  const std::uint32_t low = n == 5 ? 10000 : 100000;
  const std::uint32_t limit = low * 10;
  long checked = 0;
  for (int j = -12; j <= 12; ++j) {
    std::uint64_t five = 1;
    for (int i = 0; i < std::abs(j); ++i) five *= 5;
    for (std::uint32_t q = low; q < limit; q += stride) {
      std::uint64_t odd = 2 * std::uint64_t{q} + 1;
      if (j >= 0) {
        odd *= five;
      } else if (odd % five != 0) {
        continue;
      } else {
        odd /= five;
      }
      if (odd >= (1u << 24)) continue;
      const float tie = static_cast<float>(std::ldexp(static_cast<double>(odd), j - 1));
      const int exponent = j + n - 1;
      const auto field = [n](float value) { return n == 5 ? sci12_4(value) : sci12_5(value); };
      const std::uint32_t even = q % 2 == 0 ? q : q + 1;
      const auto rounded = [&](bool negative, std::uint32_t digits) {
        return digits == limit ? field_text(negative, low, exponent + 1)
                               : field_text(negative, digits, exponent);
      };
      ASSERT_EQ(field(tie), rounded(false, even)) << std::hexfloat << tie;
      ASSERT_EQ(field(-tie), rounded(true, even)) << std::hexfloat << -tie;
      const float above = std::nextafter(tie, std::numeric_limits<float>::infinity());
      const float below = std::nextafter(tie, 0.0f);
      ASSERT_EQ(field(above), rounded(false, q + 1)) << std::hexfloat << above;
      ASSERT_EQ(field(below), rounded(false, q)) << std::hexfloat << below;
      if (checked++ % 97 == 0) {
        ASSERT_EQ(field(tie), libc_field(tie, n)) << std::hexfloat << tie;
      }
    }
  }
  EXPECT_GT(checked, 100000 / static_cast<long>(stride));
}

TEST(SciFieldExact, EveryTieOfSci12_4GoesToEven) { check_ties(5); }

TEST(SciFieldExact, EveryTieOfSci12_5GoesToEven) { check_ties(6); }

// Every float of the binades that cross 10 (exact powers of ten) and 10^10 (truncated
// ones), and of the smallest subnormal binades.
TEST(SciFieldExact, EveryFloatOfWholeBinades) {
  for (const float start : {8.0f, 8589934592.0f}) {
    std::uint32_t first;
    std::memcpy(&first, &start, sizeof first);
    for (std::uint32_t bits = first; bits < first + (1u << 23); bits += stride) {
      expect_exact(from_bits(bits));
    }
  }
  for (std::uint32_t bits = 1; bits < (1u << 9); ++bits) expect_exact(from_bits(bits));
}

// The integer fields against the library's conversion, padded by hand: every value near
// zero, and the powers of ten, their neighbours and the ends of the 64-bit range.
TEST(IntFieldExact, AgreesWithToCharsPadded) {
  std::vector<std::int64_t> values;
  for (std::int64_t v = -100000; v <= 100000; ++v) values.push_back(v);
  std::int64_t power = 1;
  for (int digits = 1; digits <= 18; ++digits) {
    power *= 10;
    for (const std::int64_t v : {power - 1, power, power + 1}) {
      values.push_back(v);
      values.push_back(-v);
    }
  }
  values.push_back(std::numeric_limits<std::int64_t>::max());
  values.push_back(std::numeric_limits<std::int64_t>::min());
  for (const std::int64_t value : values) {
    char digits[24];
    const std::string_view text(digits, std::to_chars(digits, digits + 24, value).ptr);
    for (const IntWidth width : {IntWidth::one, IntWidth::two, IntWidth::three}) {
      const auto columns = static_cast<std::size_t>(width);
      const std::string expected =
          std::string(text.size() < columns ? columns - text.size() : 0, ' ') + std::string(text);
      ASSERT_EQ(int_field(value, width), expected) << value;
    }
  }
}

// Records every write the writer makes.
class RecordingSink : public ObjectSink {
 public:
  std::vector<std::string> writes;
  void write(std::string_view bytes) override { writes.emplace_back(bytes); }
  void close() override {}
};

// A long wall reaches the sink in whole blocks (but the last write), byte for byte as
// composed from the single fields, however its values repeat; a line longer than the
// writer's buffer, or than a block, is written whole too.
TEST(ObjectWriterBlocks, WholeBlocksByteForByte) {
  RecordingSink sink;
  std::string expected;
  {
    ObjectWriter out(sink);
    // Values that come back after others, as a wall's do, and some that look alike.
    const float specials[] = {0.0f,
                              -0.0f,
                              1.0f,
                              std::numeric_limits<float>::quiet_NaN(),
                              -std::numeric_limits<float>::infinity(),
                              1.0000001f,
                              -1.0f};
    for (std::int64_t i = 0; i < 30000; ++i) {
      const float z = i % 3 == 0 ? specials[(i / 3) % 7] : static_cast<float>(i / 2) * 0.37f;
      const std::int64_t k = i % 5 == 0 ? (i / 5) % 6 - 2 : i / 4;
      out.node_row(expression("-REF(ZI)-", Sci4{z}),
                   expression(Int3{k}, "*(REF(CD2)-REF(CD1))/", Int2{k}, "+", Sci5{-z}, Int1{i}));
      expected += "        \"-REF(ZI)-" + sci12_4(z) + "\"   \"" + int_field(k, IntWidth::three) +
                  "*(REF(CD2)-REF(CD1))/" + int_field(k, IntWidth::two) + "+" + sci12_5(-z) +
                  int_field(i, IntWidth::one) + "\"\n";
      if (i % 1000 == 7) {
        out.numeric_variable(expression("RSP", Int1{i}), z);
        expected += "RSP" + std::to_string(i) +
                    "  real_variable\n(\n  value            : " + sci12_4(z) + "\n)\n\n";
      }
      if (i % 10000 == 5000) {
        const std::string long_name(static_cast<std::size_t>(i) * 20, 'N');
        out.expression_variable(long_name, expression("REF(", long_name, ")"));
        expected +=
            long_name + "  real_variable\n(\n  value    : \"REF(" + long_name + ")\"\n)\n\n";
      }
    }
    out.finish();
  }
  std::string written;
  for (std::size_t i = 0; i < sink.writes.size(); ++i) {
    const std::string& block = sink.writes[i];
    if (i + 1 < sink.writes.size()) {
      EXPECT_FALSE(block.empty()) << "write " << i;
      EXPECT_EQ(block.size() % ObjectWriter::block_size, 0u) << "write " << i;
    }
    written += block;
  }
  // Only the first difference is shown: the whole text runs to megabytes.
  std::size_t same = 0;
  while (same < written.size() && same < expected.size() && written[same] == expected[same]) {
    ++same;
  }
  EXPECT_TRUE(written == expected)
      << "from byte " << same << ": written \"" << written.substr(same, 60) << "\", expected \""
      << expected.substr(same, 60) << "\"";
  EXPECT_GT(sink.writes.size(), 5u);
}

}  // namespace
}  // namespace hornwall

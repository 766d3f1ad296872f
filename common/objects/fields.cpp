#include "hornwall/fields.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "hornwall/number_text.hpp"
#include "hornwall/portable.hpp"

namespace hornwall {
namespace {

__extension__ typedef unsigned __int128 Uint128;

void append_right_justified(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out.append(text);
}

// The longest text scientific_magnitude writes: "d.", up to 8 digits, "e-45".
constexpr std::size_t magnitude_buffer_size = 32;
using MagnitudeBuffer = std::array<char, magnitude_buffer_size>;

// Writes |value| (finite) as "d.ddd...e±XX" with `digits` digits after the point and
// returns the decimal exponent. The digit counts are fixed where it is called, and the
// buffer holds the longest of them, so the conversions cannot fail; they are checked all
// the same.
template <int digits>
int scientific_magnitude(MagnitudeBuffer& buffer, float value) {
  static_assert(digits >= 1 && digits <= 8 && digits + 8 < magnitude_buffer_size);
  std::string text;
  append_scientific(text, std::fabs(static_cast<double>(value)), digits);
  constexpr std::size_t e_position = static_cast<std::size_t>(digits) + 2;
  if (text.size() > buffer.size() || text.size() < e_position + 3 || text[e_position] != 'e') {
    throw std::logic_error("a number field could not be converted");
  }
  std::copy(text.begin(), text.end(), buffer.begin());
  int exponent = 0;
  for (std::size_t i = e_position + 2; i < text.size(); ++i)
    exponent = exponent * 10 + (text[i] - '0');
  return text[e_position + 1] == '-' ? -exponent : exponent;
}

bool append_non_finite(std::string& out, float value, std::size_t width) {
  if (std::isnan(value)) {
    append_right_justified(out, "NaN", width);
    return true;
  }
  if (std::isinf(value)) {
    append_right_justified(out, value < 0 ? "-Infinity" : "Infinity", width);
    return true;
  }
  return false;
}

void append_two_digit_exponent(std::string& text, int exponent) {
  text += exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  text += static_cast<char>('0' + magnitude / 10);
  text += static_cast<char>('0' + magnitude % 10);
}

// ---- The sci fields ---------------------------------------------------------------
//
// A float is m * 2^e with an integer m below 2^24. Its field shows the first n = 5 (or 6)
// significant digits of its exact value, rounded to nearest, ties to even: the integer
// nearest to R = m * 2^e * 10^p, for the power p that puts R in [10^(n-1), 10^n). Here
// 10^p is a 64-bit mantissa times a power of two, exact for 0 <= p <= 27 (where 5^p fits)
// and rounded down otherwise, so that R is then known to within m units of its last
// binary place. Where that could decide the rounding (R that close to a half), the digits
// come from the exact general conversion of the standard library instead.

// 10^p as mantissa * 2^exponent, the mantissa in [2^63, 2^64) and rounded down.
struct PowerOfTen {
  std::uint64_t mantissa;
  int exponent;
  bool exact;
};

// The powers that the two fields need: 10^(n-1-E) for every decimal exponent E of a
// float (from -45 to 38), for n = 5 and 6.
constexpr int min_power = -35;
constexpr int max_power = 50;

constexpr Uint128 power_of_five(int k) {
  Uint128 five = 1;  // below 2^128 for k <= 55
  for (int i = 0; i < k; ++i) five *= 5;
  return five;
}

constexpr int bit_length(Uint128 value) {
  int length = 0;
  while (value != 0) {
    value >>= 1;
    ++length;
  }
  return length;
}

constexpr PowerOfTen power_of_ten(int p) {
  const Uint128 five = power_of_five(p < 0 ? -p : p);
  const int length = bit_length(five);
  if (p >= 0) {  // 10^p = 5^p * 2^p
    if (length <= 64) {
      const int shift = 64 - length;
      return {static_cast<std::uint64_t>(five << shift), p - shift, true};
    }
    const int shift = length - 64;
    return {static_cast<std::uint64_t>(five >> shift), p + shift, false};
  }
  // 10^p = 2^p / 5^-p: the quotient 2^k / 5^-p with k = 63 + length has 64 bits; long
  // division one bit at a time keeps the remainder below 5^-p.
  const int k = 63 + length;
  Uint128 remainder = 0;
  Uint128 quotient = 0;
  for (int bit = k; bit >= 0; --bit) {
    remainder = (remainder << 1) | (bit == k ? 1 : 0);
    quotient <<= 1;
    if (remainder >= five) {
      remainder -= five;
      quotient |= 1;
    }
  }
  return {static_cast<std::uint64_t>(quotient), p - k, false};
}

constexpr auto powers_of_ten = [] {
  std::array<PowerOfTen, max_power - min_power + 1> table{};
  for (int p = min_power; p <= max_power; ++p) {
    table[static_cast<std::size_t>(p - min_power)] = power_of_ten(p);
  }
  return table;
}();

static_assert(powers_of_ten[0 - min_power].mantissa == std::uint64_t{1} << 63);
static_assert(powers_of_ten[27 - min_power].exact && !powers_of_ten[28 - min_power].exact);

// The decimal exponent of the floats of one binade [2^b, 2^(b+1)): `exponent`, or one
// more from the 24-bit mantissa `threshold` on (2^24: never).
struct BinadeExponent {
  std::int32_t exponent;
  std::uint32_t threshold;
};

constexpr int min_binade = -149;
constexpr int max_binade = 127;

constexpr BinadeExponent binade_exponent(int b) {
  const int exponent = (b * 78913) >> 18;  // floor(b * log10(2)): 10^exponent <= 2^b
  // The least m with m * 2^(b-23) >= 10^k, k = exponent + 1, in exact integers.
  const int k = exponent + 1;
  const int a = b - 23;
  Uint128 least = 0;
  if (k >= 0) {  // m >= 5^k * 2^(k-a)
    const Uint128 five = power_of_five(k);
    least = k - a >= 0 ? five << (k - a) : (five + (Uint128{1} << (a - k)) - 1) >> (a - k);
  } else {  // m >= 2^(-a+k) / 5^-k, at least 2^24 when the quotient has 25 bits
    const Uint128 five = power_of_five(-k);
    least = -a + k - bit_length(five) >= 24 ? Uint128{1} << 24
                                            : ((Uint128{1} << (-a + k)) + five - 1) / five;
  }
  if (least < (Uint128{1} << 23)) throw "the exponent estimate is too low";
  return {exponent, least >= (Uint128{1} << 24) ? 1u << 24 : static_cast<std::uint32_t>(least)};
}

constexpr auto binade_exponents = [] {
  std::array<BinadeExponent, max_binade - min_binade + 1> table{};
  for (int b = min_binade; b <= max_binade; ++b) {
    table[static_cast<std::size_t>(b - min_binade)] = binade_exponent(b);
  }
  return table;
}();

static_assert(binade_exponents[3 - min_binade].exponent == 0);  // [8, 16) holds 10
static_assert(binade_exponents[3 - min_binade].threshold == 10u << 20);
static_assert(binade_exponents[0 - min_binade].threshold == 1u << 24);

// What the n-digit field needs of one binade [2^b, 2^(b+1)), whose floats are m * 2^e
// with e = b - 23 and m in [2^23, 2^24): the decimal exponent E of m below `threshold`
// and E + 1 from it on, and for each of them the power 10^(n-1-E) that scales the value
// to n digits: R = m * mantissa / 2^(64 + shift).
struct Scale {
  std::uint64_t mantissa;
  std::uint32_t shift;
  bool exact;
};
struct BinadeScales {
  std::uint32_t threshold;
  std::int32_t exponent;
  Scale lower;  // below the threshold
  Scale upper;  // from the threshold on
};

constexpr Scale scale_of(int b, int power) {
  const PowerOfTen& ten = powers_of_ten[static_cast<std::size_t>(power - min_power)];
  return {ten.mantissa, static_cast<std::uint32_t>(-(b - 23 + ten.exponent) - 64), ten.exact};
}

template <int n>
constexpr auto binade_scales = [] {
  std::array<BinadeScales, max_binade - min_binade + 1> table{};
  for (int b = min_binade; b <= max_binade; ++b) {
    const BinadeExponent& binade = binade_exponents[static_cast<std::size_t>(b - min_binade)];
    const int upper_power = n - 2 - binade.exponent;  // used only where the binade holds it
    table[static_cast<std::size_t>(b - min_binade)] = {
        binade.threshold, binade.exponent, scale_of(b, n - 1 - binade.exponent),
        scale_of(b, upper_power < min_power ? min_power : upper_power)};
  }
  return table;
}();

// The first digits of a value and its decimal exponent: value ~ digits * 10^(exponent-n+1).
struct Decimal {
  std::uint32_t digits;
  int exponent;
};

constexpr std::uint32_t power_of_ten_u32(int n) {
  std::uint32_t result = 1;
  for (int i = 0; i < n; ++i) result *= 10;
  return result;
}

// The exact general conversion, for the values whose rounding the fast one cannot tell.
template <int n>
[[gnu::cold, gnu::noinline]] Decimal decimal_slow(float magnitude) {
  MagnitudeBuffer buffer;
  const int exponent = scientific_magnitude<n - 1>(buffer, magnitude);
  std::uint32_t digits = static_cast<std::uint32_t>(buffer[0] - '0');
  for (std::size_t i = 0; i < n - 1; ++i) {
    digits = digits * 10 + static_cast<std::uint32_t>(buffer[2 + i] - '0');
  }
  return {digits, exponent};
}

// The n significant digits of the finite, non-zero `magnitude`, correctly rounded.
template <int n>
Decimal decimal_digits(float magnitude) {
  constexpr std::uint32_t limit = power_of_ten_u32(n);
  const auto bits = bit_cast<std::uint32_t>(magnitude);
  const auto biased = static_cast<int>(bits >> 23);
  std::uint32_t m = bits & 0x7fffffu;
  int e = 0;
  if (biased != 0) {
    m |= 0x800000u;
    e = biased - 150;
  } else {  // subnormal: m shifted up to 24 bits
    const int shift = std::countl_zero(m) - 8;
    m <<= shift;
    e = -149 - shift;
  }
  const BinadeScales& binade = binade_scales<n>[static_cast<std::size_t>(e + 23 - min_binade)];
  const bool upper = m >= binade.threshold;
  int exponent = binade.exponent + (upper ? 1 : 0);
  const Scale& power = upper ? binade.upper : binade.lower;
  // R = product / 2^(64 + shift): its integer part is below 2^20, so the shift is at
  // least 0 (and at most 16); `fraction` holds the first 64 bits of its fraction and
  // `sticky` tells whether any further one is set.
  const Uint128 product = static_cast<Uint128>(m) * power.mantissa;
  const std::uint32_t shift = power.shift;
  const auto high = static_cast<std::uint64_t>(product >> 64);
  const auto low = static_cast<std::uint64_t>(product);
  std::uint32_t digits = static_cast<std::uint32_t>(high >> shift);
  const auto fraction = static_cast<std::uint64_t>(product >> shift);
  const bool sticky = (low & ((std::uint64_t{1} << shift) - 1)) != 0;
  constexpr std::uint64_t half = std::uint64_t{1} << 63;
  // Whether to round up is a coin toss for most values: it is worked out without
  // branches.
  bool up = false;
  if (power.exact) {
    up = (fraction > half) | ((fraction == half) & (sticky | ((digits & 1) != 0)));
  } else {
    // The true R exceeds the one computed, by less than m units of its last place,
    // which is less than 2^24 units of `fraction`.
    if (fraction < half && fraction >= half - (std::uint64_t{1} << 25)) [[unlikely]] {
      return decimal_slow<n>(magnitude);
    }
    up = fraction >= half;
  }
  digits += static_cast<std::uint32_t>(up);
  if (digits == limit) [[unlikely]] {
    digits = limit / 10;
    ++exponent;
  }
  return {digits, exponent};
}

constexpr std::array<char, 200> digit_pairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

char* write_pair(char* dest, std::uint32_t value) {
  std::memcpy(dest, &digit_pairs[2 * value], 2);
  return dest + 2;
}

// Writes `text` right-justified in the sci field's 12 columns.
char* write_justified(char* dest, std::string_view text) {
  std::memset(dest, ' ', sci_width - text.size());
  std::memcpy(dest + sci_width - text.size(), text.data(), text.size());
  return dest + sci_width;
}

// The sci field with n - 1 (4 or 5) digits after the point: its blanks, the sign, the
// first digit, the point, the other digits and the exponent, 12 columns in all.
template <int n>
char* write_sci(char* dest, float value) {
  const auto bits = bit_cast<std::uint32_t>(value);
  const float magnitude = bit_cast<float>(bits & 0x7fffffffu);
  bool negative = (bits >> 31) != 0;
  if (!(magnitude <= std::numeric_limits<float>::max())) {  // NaN or infinite
    if (magnitude != magnitude) return write_justified(dest, "NaN");
    return write_justified(dest, negative ? "-Infinity" : "Infinity");
  }
  Decimal decimal{0, 0};
  if (magnitude != 0.0f) {
    decimal = decimal_digits<n>(magnitude);
  } else {
    negative = false;
  }
  // The blanks: 12 columns less the sign, n digits, the point and 4 of exponent.
  constexpr std::size_t blanks = sci_width - n - 1 - 4;
  char* out = dest;
  std::memset(out, ' ', blanks);
  out += blanks;
  out[-1] = negative ? '-' : ' ';
  // The digits come from the top of a 40-bit binary fraction, digits / 10^(n-1), which
  // is exact enough: its error, below 2^20 / 2^40, stays under 0.1 of the last digit.
  constexpr std::uint64_t one = std::uint64_t{1} << 40;
  constexpr std::uint64_t scale = one / power_of_ten_u32(n - 1) + 1;
  std::uint64_t fraction = decimal.digits * scale;
  *out++ = static_cast<char>('0' + (fraction >> 40));
  *out++ = '.';
  fraction &= one - 1;
  if constexpr (n == 6) {  // five digits after the point: one, then two pairs
    fraction *= 10;
    *out++ = static_cast<char>('0' + (fraction >> 40));
    fraction &= one - 1;
  }
  fraction *= 100;
  out = write_pair(out, static_cast<std::uint32_t>(fraction >> 40));
  fraction = (fraction & (one - 1)) * 100;
  out = write_pair(out, static_cast<std::uint32_t>(fraction >> 40));
  *out++ = 'E';
  *out++ = decimal.exponent < 0 ? '-' : '+';
  return write_pair(
      out, static_cast<std::uint32_t>(decimal.exponent < 0 ? -decimal.exponent : decimal.exponent));
}

// 10^k for k = 0 ... 19.
constexpr auto powers_of_ten_u64 = [] {
  std::array<std::uint64_t, 20> table{};
  std::uint64_t power = 1;
  for (std::uint64_t& entry : table) {
    entry = power;
    power *= 10;
  }
  return table;
}();

// The number of decimal digits of `value` (one for zero): from its bit length, then one
// more where it reaches the next power of ten.
std::size_t decimal_length(std::uint64_t value) {
  value |= 1;  // the same digits, but for zero
  const auto guess = static_cast<std::size_t>((std::bit_width(value) * 1233) >> 12);
  return guess + (value >= powers_of_ten_u64[guess] ? 1 : 0);
}

}  // namespace

char* write_sci12_4(char* dest, float value) { return write_sci<5>(dest, value); }

char* write_sci12_5(char* dest, float value) { return write_sci<6>(dest, value); }

void append_sci12_4(std::string& out, float value) {
  char field[sci_width];
  out.append(field, write_sci12_4(field, value));
}

void append_sci12_5(std::string& out, float value) {
  char field[sci_width];
  out.append(field, write_sci12_5(field, value));
}

std::string sci12_4(float value) {
  std::string field;
  append_sci12_4(field, value);
  return field;
}

std::string sci12_5(float value) {
  std::string field;
  append_sci12_5(field, value);
  return field;
}

char* write_int(char* dest, std::int64_t value, IntWidth width) {
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const std::size_t length = decimal_length(magnitude) + (value < 0 ? 1 : 0);
  const auto columns = static_cast<std::size_t>(width);
  for (std::size_t column = length; column < columns; ++column) *dest++ = ' ';
  char* const end = dest + length;
  char* digits = end;
  // The digits are written from the right, two at a time.
  while (magnitude >= 100) {
    digits -= 2;
    std::memcpy(digits, &digit_pairs[2 * (magnitude % 100)], 2);
    magnitude /= 100;
  }
  if (magnitude >= 10) {
    std::memcpy(digits - 2, &digit_pairs[2 * static_cast<std::size_t>(magnitude)], 2);
  } else {
    digits[-1] = static_cast<char>('0' + magnitude);
  }
  if (value < 0) *dest = '-';
  return end;
}

void append_int(std::string& out, std::int64_t value, IntWidth width) {
  char field[int_max_width];
  out.append(field, write_int(field, value, width));
}

std::string int_field(std::int64_t value, IntWidth width) {
  std::string field;
  append_int(field, value, width);
  return field;
}

void append_echo_integer(std::string& out, std::int32_t value) {
  // A 32-bit integer takes at most 11 characters: the conversion cannot fail.
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  append_right_justified(
      out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), 12);
}

void append_echo_real(std::string& out, float value) {
  constexpr std::size_t width = 15;
  if (append_non_finite(out, value, width)) return;
  if (value == 0.0f) {
    append_right_justified(out, "0.0000000E+00", width);
    return;
  }
  MagnitudeBuffer buffer;
  const int exponent = scientific_magnitude<6>(buffer, value);
  const std::string digits = std::string(1, buffer[0]) + std::string(buffer.data() + 2, 6);
  std::string text = value < 0 ? "-" : "";
  if (exponent >= -1 && exponent <= 6) {
    if (exponent == -1) {
      text += "0." + digits;
    } else {
      const auto point = static_cast<std::size_t>(exponent) + 1;
      text += digits.substr(0, point) + "." + digits.substr(point);
    }
    append_right_justified(out, text, width - 4);
    out.append(4, ' ');
  } else {
    text += "0." + digits + "E";
    append_two_digit_exponent(text, exponent + 1);
    append_right_justified(out, text, width);
  }
}

}  // namespace hornwall

// Number conversions of the arithmetic: the same results as atof and
// printf("%f"), computed with the correctly rounded std::from_chars and
// std::to_chars, or, for whole numbers and for fractions of fewer than 2^53
// millionths, with integers alone; the library calls remain for what those
// read or write differently.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "procedures.h"

namespace m4t4 {
namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

// The powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case, done exactly (Clinger's fast path): a decimal text whose
// digits form an integer of at most 2^53 and whose power of ten is at most
// 22 away from it is that integer times or divided by an exactly held power
// of ten, one correctly rounded operation. Returns false for other texts.
bool fastDecimal(const char* text, double& value) {
  constexpr std::uint64_t kLargeMantissa = std::uint64_t{1} << 53;
  std::uint64_t mantissa = 0;
  int exponent = 0;
  const char* p = text;
  for (; digit(*p); ++p) {
    if (mantissa >= kLargeMantissa) return false;
    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  }
  if (*p == '.') {
    for (++p; digit(*p); ++p) {
      if (mantissa >= kLargeMantissa) return false;
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
      --exponent;
    }
  }
  if (*p == 'e' || *p == 'E') {  // an exponent counts only with a digit
    const char* q = p + 1;
    bool negative = *q == '-';
    if (*q == '+' || *q == '-') ++q;
    const char* first = q;
    int written = 0;
    for (; digit(*q); ++q) {
      if (written > 1000) return false;
      written = written * 10 + (*q - '0');
    }
    if (q != first) exponent += negative ? -written : written;
  }
  if (mantissa > kLargeMantissa || exponent < -22 || exponent > 22) return false;
  double m = static_cast<double>(mantissa);
  value = exponent < 0 ? m / kExactPowers[-exponent] : m * kExactPowers[exponent];
  return true;
}

// "00" to "99".
constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the digits of whole ending just before end, two at a time;
// returns where they begin.
char* writeDigits(std::uint64_t whole, char* end) {
  while (whole >= 100) {
    std::size_t pair = static_cast<std::size_t>(whole % 100) * 2;
    whole /= 100;
    *--end = kPairs[pair + 1];
    *--end = kPairs[pair];
  }
  if (whole >= 10) {
    *--end = kPairs[whole * 2 + 1];
    *--end = kPairs[whole * 2];
  } else {
    *--end = static_cast<char>('0' + whole);
  }
  return end;
}

// A whole number below 1e18: a sign, at most 18 digits, ".000000", NUL.
constexpr std::size_t kWholeTextSize = 27;

// "%f" of a whole number below 1e18 (`magnitude` is its absolute value): its
// digits, two at a time, and six zeros; -0.0 keeps its sign. `out` holds
// kWholeTextSize characters.
int formatWhole(double value, double magnitude, char* out) {
  char digits[20];
  char* first = writeDigits(static_cast<std::uint64_t>(magnitude), digits + sizeof digits);
  char* end = out;
  if (std::signbit(value)) *end++ = '-';
  std::size_t count = static_cast<std::size_t>(digits + sizeof digits - first);
  std::memcpy(end, first, count);
  end += count;
  std::memcpy(end, ".000000", 8);  // the terminator too
  return static_cast<int>(end + 7 - out);
}

// A count of millionths below this is exact in a double.
constexpr std::uint64_t kExactMillionths = std::uint64_t{1} << 53;

// Whether "%f" of value is a decimal of fewer than 2^53 millionths, value
// having fraction bits; then count is that many: |value| * 10^6 rounded to
// an integer on the exact binary value, a tie to even, as printf rounds.
// False for integers, infinities and NaNs.
bool millionths(double value, std::uint64_t& count) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased != 0) mantissa |= std::uint64_t{1} << 52;
  // |value| is mantissa / 2^shift (a subnormal's exponent is that of biased 1).
  const int shift = 1075 - (biased != 0 ? biased : 1);
  if (shift <= 0) return false;
  // mantissa * 10^6 < 2^73, below half of 2^shift from a shift of 74 on:
  // fewer than half a millionth, which rounds to 0.
  if (shift > 73) {
    count = 0;
    return true;
  }
  __extension__ using Wide = unsigned __int128;
  const Wide scaled = static_cast<Wide>(mantissa) * 1000000u;
  Wide whole = scaled >> shift;
  const Wide rest = scaled - (whole << shift);
  const Wide half = Wide{1} << (shift - 1);
  if (rest > half || (rest == half && (whole & 1) != 0)) ++whole;
  if (whole >= kExactMillionths) return false;
  count = static_cast<std::uint64_t>(whole);
  return true;
}

// The "%f" text of count millionths, negative or not: a sign, at most 10
// integer digits (2^53 millionths are below 10^10), a point, six decimals,
// NUL.
constexpr std::size_t kMillionthsTextSize = 19;

// Writes the "%f" text of count millionths into out, which holds
// kMillionthsTextSize characters; returns its length.
int formatMillionths(std::uint64_t count, bool negative, char* out) {
  // The text ends at the middle: kMillionthsTextSize bytes from its start
  // can be copied, a fixed size.
  char digits[2 * kMillionthsTextSize];
  char* const end = digits + kMillionthsTextSize - 1;
  std::uint64_t fraction = count % 1000000;
  for (int pair = 0; pair < 3; ++pair) {
    const std::size_t at = static_cast<std::size_t>(fraction % 100) * 2;
    fraction /= 100;
    end[-2 * pair - 1] = kPairs[at + 1];
    end[-2 * pair - 2] = kPairs[at];
  }
  end[-7] = '.';
  char* first = writeDigits(count / 1000000, end - 7);
  if (negative) *--first = '-';  // also for a negative that rounds to zero, as printf writes it
  *end = '\0';
  std::memcpy(out, first, kMillionthsTextSize);
  return static_cast<int>(end - first);
}

}  // namespace

double toNumber(const char* text) {
  const char* digits = text + (text[0] == '+' || text[0] == '-');
  // from_chars reads neither a leading "+" (skipped above, atof's sign is
  // applied below), white space, hexadecimal numbers, "inf" nor "nan": all
  // but plain decimal texts go to strtod.
  if (!(digits[0] >= '0' && digits[0] <= '9') ||
      (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))) {
    return std::strtod(text, nullptr);
  }
  double value = 0;
  if (fastDecimal(digits, value)) return text[0] == '-' ? -value : value;
#ifdef __cpp_lib_to_chars
  auto [end, error] = std::from_chars(digits, digits + std::strlen(digits), value);
  // Out of range (overflow to infinity, underflow to zero): strtod's answer.
  if (error != std::errc{}) return std::strtod(text, nullptr);
  return text[0] == '-' ? -value : value;
#else  // a standard library without floating-point from_chars (the browser build)
  return std::strtod(text, nullptr);
#endif
}

int formatFixed(double value, char* out, std::size_t size) {
  if (!std::isfinite(value)) return std::snprintf(out, size, "%f", value);
  double magnitude = std::fabs(value);
  // (The magnitude test comes first: it keeps the conversion defined.)
  if (magnitude < 1e18 && size >= kWholeTextSize &&
      value == static_cast<double>(static_cast<std::int64_t>(value))) {
    return formatWhole(value, magnitude, out);
  }
  std::uint64_t count;
  if (size >= kMillionthsTextSize && millionths(value, count)) {
    return formatMillionths(count, std::signbit(value), out);
  }
  char text[400];  // 309 integer digits, a sign, a point and six decimals fit
#ifdef __cpp_lib_to_chars
  auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
  std::size_t length = error == std::errc{} ? static_cast<std::size_t>(end - text) : 0;
#else  // a standard library without floating-point to_chars (the browser build)
  const int printed = std::snprintf(text, sizeof text, "%f", value);
  std::size_t length = printed > 0 ? static_cast<std::size_t>(printed) : 0;
#endif
  if (size > 0) {
    std::size_t kept = std::min(length, size - 1);
    std::memcpy(out, text, kept);
    out[kept] = '\0';
  }
  return static_cast<int>(length);
}

int formatNumber(double value, char* out, std::size_t size, KnownNumber& number) {
  // Below this many millionths the text is left to be written when it is
  // wanted, as "%f" of the number kept: that number is within count * 2^-53
  // of count / 10^6, less than half a millionth while count is below 2^52,
  // so "%f" rounds it to count millionths again.
  constexpr std::uint64_t kPendingMillionths = std::uint64_t{1} << 52;
  std::uint64_t count;
  if (size >= kMillionthsTextSize && millionths(value, count)) {
    const bool negative = std::signbit(value);
    // atof of the text is the double nearest count / 10^6: count and 10^6
    // are exact (count < 2^53), and a division rounds correctly.
    const double magnitude = static_cast<double>(count) / 1e6;
    const bool pending = count < kPendingMillionths;
    number = {true, pending, negative ? -magnitude : magnitude};
    if (pending) {
      out[0] = '\0';
      return 0;
    }
    return formatMillionths(count, negative, out);
  }
  number = {};
  return formatFixed(value, out, size);
}

double remainderOf(double dividend, double divisor) {
  // Whole operands below 2^31 in magnitude: the remainder of 32-bit
  // integers, which is exact, as fmod's is, and has the dividend's sign, as
  // fmod's has; a zero takes that sign too. (A few instructions, where fmod
  // costs some thirty; other operands are fmod's.)
  constexpr double kBound = 2147483648.0;  // 2^31
  if (std::fabs(dividend) < kBound && std::fabs(divisor) < kBound) {
    const auto whole = static_cast<std::int32_t>(dividend);
    const auto by = static_cast<std::int32_t>(divisor);
    if (whole == dividend && by == divisor && by != 0) {
      const std::int32_t rest = whole % by;  // (whole is above INT32_MIN: no overflow)
      return rest != 0 ? static_cast<double>(rest) : std::copysign(0.0, dividend);
    }
  }
  return std::fmod(dividend, divisor);
}

}  // namespace m4t4

// Number conversions of the arithmetic: the same results as atof and
// printf("%f"), computed with the correctly rounded std::from_chars and
// std::to_chars; the library calls remain for what those read or write
// differently.
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

// A whole number below 1e18: a sign, at most 18 digits, ".000000", NUL.
constexpr std::size_t kWholeTextSize = 27;

// "%f" of a whole number below 1e18 (`magnitude` is its absolute value): its
// digits, two at a time, and six zeros; -0.0 keeps its sign. `out` holds
// kWholeTextSize characters.
int formatWhole(double value, double magnitude, char* out) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char digits[20];
  char* first = digits + sizeof digits;
  auto whole = static_cast<std::uint64_t>(magnitude);
  while (whole >= 100) {
    std::size_t pair = static_cast<std::size_t>(whole % 100) * 2;
    whole /= 100;
    *--first = kPairs[pair + 1];
    *--first = kPairs[pair];
  }
  if (whole >= 10) {
    *--first = kPairs[whole * 2 + 1];
    *--first = kPairs[whole * 2];
  } else {
    *--first = static_cast<char>('0' + whole);
  }
  char* end = out;
  if (std::signbit(value)) *end++ = '-';
  std::size_t count = static_cast<std::size_t>(digits + sizeof digits - first);
  std::memcpy(end, first, count);
  end += count;
  std::memcpy(end, ".000000", 8);  // the terminator too
  return static_cast<int>(end + 7 - out);
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

}  // namespace m4t4

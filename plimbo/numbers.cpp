// Numbers and their texts: the same results as atof and "%f", without the
// cost of going through strtod and printf for every operation.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "procedures.h"

namespace plimbo {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "00" to "99".
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the digits of n ending just before end; returns where they begin.
char* writeDigits(std::uint64_t n, char* end) {
  while (n >= 100) {
    const std::size_t pair = static_cast<std::size_t>(n % 100) * 2;
    n /= 100;
    *--end = kDigitPairs[pair + 1];
    *--end = kDigitPairs[pair];
  }
  if (n >= 10) {
    *--end = kDigitPairs[n * 2 + 1];
    *--end = kDigitPairs[n * 2];
  } else {
    *--end = static_cast<char>('0' + n);
  }
  return end;
}

// A count of millionths below this is exact in a double.
constexpr std::uint64_t kExactMillionths = std::uint64_t{1} << 53;

// Whether "%f" of number is a decimal of fewer than 2^53 millionths, number
// having fraction bits; then count is that many: |number| * 10^6 rounded to
// an integer on the exact binary value, a tie to even, as printf rounds.
// False for integers, infinities and NaNs.
bool millionths(double number, std::uint64_t& count) {
  std::uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased != 0) mantissa |= std::uint64_t{1} << 52;
  // |number| is mantissa / 2^shift (a subnormal's exponent is that of biased 1).
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

// Writes the "%f" text of count millionths, negative or not, into out,
// which has room for 32 bytes; returns its length.
std::size_t formatMillionths(std::uint64_t count, bool negative, char* out) {
  char digits[48];  // the text ends at the middle, so 24 bytes from its start can be copied
  char* const end = digits + 24;
  std::uint64_t fraction = count % 1000000;
  for (int pair = 0; pair < 3; ++pair) {
    const std::size_t at = static_cast<std::size_t>(fraction % 100) * 2;
    fraction /= 100;
    end[-2 * pair - 1] = kDigitPairs[at + 1];
    end[-2 * pair - 2] = kDigitPairs[at];
  }
  end[-7] = '.';
  char* begin = writeDigits(count / 1000000, end - 7);
  if (negative) *--begin = '-';  // also for a negative that rounds to zero, as printf writes it
  *end = '\0';
  std::memcpy(out, begin, 24);  // whole: a fixed size copies fastest
  return static_cast<std::size_t>(end - begin);
}

// The double atof reads from the text of count millionths: count and 10^6
// are exact (count < 2^53), so their quotient is correctly rounded, the
// double nearest the decimal, as atof reads it.
double millionthsValue(std::uint64_t count, bool negative) {
  const double magnitude = static_cast<double>(count) / 1e6;
  return negative ? -magnitude : magnitude;
}

// Below this many millionths a fraction's text is left to be written when it
// is read, as "%f" of its number: that number is within count * 2^-53 of
// count / 10^6, less than half a millionth while count is below 2^52, so
// "%f" rounds it to count millionths again.
constexpr std::uint64_t kPendingMillionths = std::uint64_t{1} << 52;

}  // namespace

double toNumber(const char* text) {
  // Plain digits, the common case: exact while fewer than 16.
  std::size_t i = 0;
  std::uint64_t whole = 0;
  while (isDigit(text[i]) && i < 15) whole = whole * 10 + static_cast<std::uint64_t>(text[i++] - '0');
  if (i > 0 && text[i] == '\0') return static_cast<double>(whole);
  // from_chars reads what atof reads except a leading '+', hexadecimal texts
  // and the words inf and nan; it reports out-of-range results instead of
  // giving strtod's infinity, zero or subnormal. All of those go to strtod.
  const char* first = text;
  if (*first == '-') ++first;
  if (!isDigit(first[0]) || (first[0] == '0' && (first[1] == 'x' || first[1] == 'X')))
    return std::strtod(text, nullptr);
#ifdef __cpp_lib_to_chars
  double value = 0;
  const auto result = std::from_chars(text, text + std::strlen(text), value);
  if (result.ec != std::errc()) return std::strtod(text, nullptr);
  return value;
#else  // a standard library without floating-point from_chars (the browser build)
  return std::strtod(text, nullptr);
#endif
}

int MyIsdigit(const char* text) {
  bool sign = text[0] == '-' || text[0] == '+';
  if (isDigit(text[0])) return 1;
  if (sign && isDigit(text[1])) return 1;
  if (sign && text[1] == ',' && isDigit(text[2])) return 1;
  if (text[0] == ',' && isDigit(text[1])) return 1;
  return 0;
}

void classify(Value& value) {
  value.textPending = false;
  value.numeric = MyIsdigit(value.text.data()) != 0;
  value.number = value.numeric ? toNumber(value.text.data()) : 0;
}

void setText(Value& value, const char* text, std::size_t length) {
  if (length > kMaxValueLength) length = kMaxValueLength;
  std::memcpy(value.text.data(), text, length);
  value.text[length] = '\0';
  value.length = static_cast<std::uint8_t>(length);
  value.textPending = false;
}

void valueOfToken(Value& value, const Token& token) {
  if (token.length < kShortTokenText) {  // a fixed-size copy is one move; both texts have room
    std::memcpy(value.text.data(), token.text.data(), kShortTokenText);
    value.length = token.length;
  } else {
    setText(value, token.text.data(), token.length);
  }
  value.numeric = token.numeric;
  value.textPending = false;
  value.number = token.number;
}

void formatTruth(bool truth, Value& value) {
  value.text[0] = truth ? '1' : '0';
  value.text[1] = '\0';
  value.length = 1;
  value.numeric = true;
  value.textPending = false;
  value.number = truth ? 1 : 0;
}

namespace {

// Writes the "%f" text of an exact integer (isExactInteger) into out, which
// has room for 32 bytes; returns its length.
std::size_t formatInteger(double number, char* out) {
  char digits[48];  // the digits end at the middle, so 24 bytes from their start can be copied
  char* end = digits + 24;
  char* begin = writeDigits(static_cast<std::uint64_t>(std::fabs(number)), end);
  if (std::signbit(number)) *--begin = '-';  // -0.0 too, as printf writes it
  const std::size_t length = static_cast<std::size_t>(end - begin);
  std::memcpy(out, begin, 24);  // whole: a fixed size copies fastest
  std::memcpy(out + length, ".000000", 8);
  return length + 7;
}

}  // namespace

std::size_t formatFixed(double number, char* out, std::size_t size) {
  if (isExactInteger(number) && size >= 32) return formatInteger(number, out);
  std::uint64_t count;
  if (size >= 32 && millionths(number, count)) return formatMillionths(count, std::signbit(number), out);
  if (!std::isfinite(number)) {
    const char* text = std::isnan(number) ? (std::signbit(number) ? "-nan" : "nan")
                                          : (number < 0 ? "-inf" : "inf");
    const std::size_t length = std::strlen(text);
    if (length >= size) return size;
    std::memcpy(out, text, length + 1);
    return length;
  }
#ifdef __cpp_lib_to_chars
  const auto result = std::to_chars(out, out + size - 1, number, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) return size;
  *result.ptr = '\0';
  return static_cast<std::size_t>(result.ptr - out);
#else  // a standard library without floating-point to_chars (the browser build)
  const int length = std::snprintf(out, size, "%f", number);
  if (length < 0 || static_cast<std::size_t>(length) >= size) return size;
  return static_cast<std::size_t>(length);
#endif
}

bool formatFraction(double number, Value& value) {
  std::uint64_t count;
  if (millionths(number, count)) {
    const bool negative = std::signbit(number);
    value.numeric = true;
    value.number = millionthsValue(count, negative);
    if (count < kPendingMillionths) {
      // Written when read, from the number (writePendingText).
      value.length = 0;
      value.textPending = true;
      return true;
    }
    value.length = static_cast<std::uint8_t>(formatMillionths(count, negative, value.text.data()));
    value.textPending = false;
    return true;
  }
  const std::size_t length = formatFixed(number, value.text.data(), value.text.size());
  if (length > kMaxValueLength) return false;
  value.length = static_cast<std::uint8_t>(length);
  value.textPending = false;
  value.numeric = std::isfinite(number);  // inf, -inf, nan and -nan are not numeric texts
  value.number = value.numeric ? toNumber(value.text.data()) : 0;
  return true;
}

double remainderOf(double dividend, double divisor) {
  const double left = std::fabs(dividend);
  const double right = std::fabs(divisor);
  if (left < kExactIntegers && right < kExactIntegers && right != 0) {
    const auto whole = static_cast<std::uint64_t>(left);
    const auto by = static_cast<std::uint64_t>(right);
    if (static_cast<double>(whole) == left && static_cast<double>(by) == right) {
      // The remainder of integers is exact, as fmod's is; it keeps the
      // dividend's sign, a zero too.
      const std::uint64_t rest = (whole | by) <= UINT32_MAX
                                     ? static_cast<std::uint32_t>(whole) % static_cast<std::uint32_t>(by)
                                     : whole % by;
      const double magnitude = static_cast<double>(rest);
      return std::signbit(dividend) ? -magnitude : magnitude;
    }
  }
  return std::fmod(dividend, divisor);
}

void writePendingText(Value& value) {
  value.length = static_cast<std::uint8_t>(formatFixed(value.number, value.text.data(), value.text.size()));
  value.textPending = false;
}

}  // namespace plimbo

// The fast conversions must give exactly what atof and printf("%f") give.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "procedures.h"

namespace m4t4 {
namespace {

std::string libraryFixed(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

std::string fastFixed(double value) {
  char text[400];
  int length = formatFixed(value, text, sizeof text);
  EXPECT_EQ(length, static_cast<int>(std::strlen(text)));
  return text;
}

// Same bits: -0.0 and 0.0 differ, as they print differently.
::testing::AssertionResult sameNumber(const char* text) {
  double fast = toNumber(text);
  double library = std::atof(text);
  if (std::memcmp(&fast, &library, sizeof fast) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << text << "\": " << fast << " != " << library;
}

::testing::AssertionResult sameText(double value) {
  std::string fast = fastFixed(value);
  std::string library = libraryFixed(value);
  if (fast == library) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "%a " << value << ": " << fast << " != " << library;
}

TEST(Numbers, HardCasesFormat) {
  const double cases[] = {
      0.0, -0.0, 1.0, -1.0, 0.5, 0.0078125,  // 0.0078125: an exact tie at the sixth decimal
      0.0234375, 1.0000005, 2.5e-7, 5e-7, 4.999999e-7, 0.9999995, 999999.9999995,
      1e22, 1e23, 9007199254740993.0, 9007199254740992.0, 1e15, 1e17, 1e18, 1e19,
      -1e18, 123456789012345678.0, 4.9e-324, 2.2250738585072014e-308, 1e308, -1e308,
      std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest(),
      std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
      std::nan(""), -std::nan(""), 0.1, 0.2 + 0.1, 1.0 / 3, 2.0 / 3, -2.0 / 3, 1e-6, 5e-6};
  for (double value : cases) EXPECT_TRUE(sameText(value));
  for (int j = 1; j < 1000; j += 2) EXPECT_TRUE(sameText(j / 128.0));  // every j/128 is a tie
  EXPECT_EQ(fastFixed(0.0 / 0.0 * -1.0), libraryFixed(0.0 / 0.0 * -1.0));
}

::testing::AssertionResult sameResult(double value);

// Texts worked out from the exact binary value of each double: the sixth
// decimal rounds half to even only on an exact tie (odd multiples of 1/128),
// and a negative keeps its sign when it rounds to zero.
TEST(Numbers, SixthDecimalRounding) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {1.0 / 128, "0.007812"},  // 7812.5 millionths, a tie: to the even 7812
      {3.0 / 128, "0.023438"},  // 23437.5: to 23438
      {5.0 / 128, "0.039062"},  // 39062.5: to 39062
      {-3.0 / 128, "-0.023438"},
      {5e-7, "0.000000"},  // the double is below half a millionth
      {-5e-7, "-0.000000"},
      {2.5e-7, "0.000000"},
      {-2.5e-7, "-0.000000"},
      {7.5e-7, "0.000001"},  // above 0.00000075
      {1.5e-6, "0.000002"},
      {2.5e-6, "0.000003"},  // above the tie, so not to even
      {1.0000005, "1.000001"},
      {0.1234565, "0.123456"},  // below the tie
      {0.9999995, "1.000000"},  // above: carries into the integer part
      {999999.9999995, "999999.999999"},
      {123456789.0000005, "123456789.000001"},
      {4503599627.3704995, "4503599627.370500"},
      {9007199254.740990, "9007199254.740990"},  // just below 2^53 millionths
      {9007199254.740992, "9007199254.740992"},  // rounds to 2^53 millionths
      {1099511627776.0078125, "1099511627776.007812"},  // 2^40 + 1/128, a tie past 2^53 millionths
      {-1099511627776.0234375, "-1099511627776.023438"},
      {1.0 / 3, "0.333333"},
      {-2.0 / 3, "-0.666667"},
      {0.5, "0.500000"},
      {std::numeric_limits<double>::denorm_min(), "0.000000"},
      {-std::numeric_limits<double>::denorm_min(), "-0.000000"},
      {-std::numeric_limits<double>::min(), "-0.000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fastFixed(c.value), c.text) << std::hexfloat << c.value;
    EXPECT_EQ(libraryFixed(c.value), c.text) << std::hexfloat << c.value;
    EXPECT_TRUE(sameResult(c.value));
  }
}

// One of the kinds of doubles of the sweeps below, each drawn from random.
enum class Kind { kMagnitudes, kNearTies, kTies, kTiny, kWholeAndHuge };

double draw(Kind kind, std::mt19937_64& random) {
  double value = 0;
  switch (kind) {
    case Kind::kMagnitudes:  // 53 random bits at any scale from subnormal to 2^70
      value = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 1144) - 1126);
      break;
    case Kind::kNearTies: {  // a few ulps around the double nearest k + 1/2 millionths
      const std::uint64_t k = random() % (std::uint64_t{10} << (random() % 53));
      value = (static_cast<double>(k) + 0.5) / 1e6;
      for (int steps = static_cast<int>(random() % 7) - 3; steps != 0; steps += steps < 0 ? 1 : -1) {
        value = std::nextafter(value, steps < 0 ? 0.0 : HUGE_VAL);
      }
      break;
    }
    case Kind::kTies: {  // exact ties (odd multiples of 1/128) and decimal ties
      const std::uint64_t odd = (random() >> (random() % 64)) | 1;
      switch (random() % 4) {
        case 0: value = std::ldexp(static_cast<double>(odd & ((std::uint64_t{1} << 53) - 1)), -7); break;
        case 1:
          value = std::nextafter(std::ldexp(static_cast<double>(odd % (1u << 30)), -7), random() % 2 ? 0.0 : 1.0);
          break;
        case 2: value = static_cast<double>(odd % 100000000000) * 5e-7; break;
        default: value = static_cast<double>(random() % 10000000000) * 2.5e-7; break;
      }
      break;
    }
    case Kind::kTiny: {  // subnormals, and normals below 2^-50
      std::uint64_t bits = random() & ((std::uint64_t{1} << 52) - 1);
      if (random() % 2) bits |= (1 + random() % 972) << 52;
      std::memcpy(&value, &bits, sizeof value);
      break;
    }
    case Kind::kWholeAndHuge:  // integers of every length up to 2^188; a few of any size
      switch (random() % 8) {
        case 0: value = 0; break;
        case 1: value = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 68)); break;
        case 2:
          if (random() % 64 == 0) {  // any bit pattern, inf and nan among them (their texts are long)
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
            return value;
          }
          value = std::ldexp(static_cast<double>(random() >> 11), 68 + static_cast<int>(random() % 68));
          break;
        default: value = static_cast<double>(random() >> (random() % 64)); break;
      }
      break;
  }
  return random() % 2 ? -value : value;
}

// The text of an arithmetic result as "%f" writes it, and its number where
// formatNumber knows it as atof reads the text; known below 2^53 millionths.
::testing::AssertionResult sameResult(double value) {
  char library[400];
  const int length = std::snprintf(library, sizeof library, "%f", value);
  char text[400];
  if (formatFixed(value, text, sizeof text) != length || std::strcmp(text, library) != 0) {
    return ::testing::AssertionFailure() << "%a " << value << ": " << text << " != " << library;
  }
  KnownNumber number;
  int written = formatNumber(value, text, sizeof text, number);
  // Below 2^52 millionths the text is written when wanted, as "%f" of the
  // number kept.
  std::uint64_t millionths = 0;
  for (const char* c = library; number.known && *c != '\0'; ++c)
    if (*c >= '0' && *c <= '9') millionths = millionths * 10 + static_cast<std::uint64_t>(*c - '0');
  if (number.textPending != (number.known && millionths < (std::uint64_t{1} << 52)) ||
      (number.textPending && written != 0)) {
    return ::testing::AssertionFailure() << library << ": pending " << number.textPending;
  }
  if (number.textPending) {
    Field field{};
    std::size_t fieldLength = 0;
    writePendingText(field, fieldLength, number);
    std::memcpy(text, field.data(), fieldLength + 1);
    written = static_cast<int>(fieldLength);
  }
  if (written != length || std::strcmp(text, library) != 0) {
    return ::testing::AssertionFailure() << "%a " << value << ": " << text << " != " << library;
  }
  // (9007199254.740992 is the double nearest 2^53 millionths, and above them.)
  if (number.textPending || number.known != (std::fabs(value) < 9007199254.740992)) {
    return ::testing::AssertionFailure() << library << ": known " << number.known;
  }
  double read = std::atof(library);
  if (number.known && std::memcmp(&number.value, &read, sizeof read) != 0) {
    return ::testing::AssertionFailure() << library << ": " << number.value << " != " << read;
  }
  return ::testing::AssertionSuccess();
}

TEST(Numbers, MillionOfEachKind) {
  std::mt19937_64 random(20261209);
  for (Kind kind : {Kind::kMagnitudes, Kind::kNearTies, Kind::kTies, Kind::kTiny, Kind::kWholeAndHuge}) {
    int failures = 0;
    for (int i = 0; i < 1'000'000 && failures < 10; ++i) {
      double value = draw(kind, random);
      ::testing::AssertionResult result = sameResult(value);
      if (!result) {
        ADD_FAILURE() << result.message();
        ++failures;
      }
    }
  }
}

// A fraction's number is the quotient of its millionths by 10^6, which is
// what atof reads from its text while there are fewer than 2^53 millionths.
TEST(Numbers, MillionthsReadBack) {
  std::mt19937_64 random(9122026);
  char text[32];
  for (int i = 0; i < 1'000'000; ++i) {
    std::uint64_t count = (random() >> 11) >> (random() % 53);  // below 2^53
    std::snprintf(text, sizeof text, "%llu.%06llu", static_cast<unsigned long long>(count / 1000000),
                  static_cast<unsigned long long>(count % 1000000));
    double quotient = static_cast<double>(count) / 1e6;
    double read = std::atof(text);
    ASSERT_EQ(std::memcmp(&quotient, &read, sizeof read), 0) << text;
  }
}

// A fraction's text is written when it is wanted, from its number alone,
// below 2^52 millionths, and at once from there: the results nearest to
// count / 10^6 for counts of every size, and every double within 2,000 of
// the one nearest 2^52 millionths.
TEST(Numbers, FractionTextsWrittenLater) {
  std::mt19937_64 random(12092026);
  for (int i = 0; i < 1'000'000; ++i) {
    const std::uint64_t count = (random() >> 11) >> (random() % 53);  // below 2^53
    const double number = static_cast<double>(count) / 1e6;
    ASSERT_TRUE(sameResult(random() % 2 ? -number : number));
    ASSERT_TRUE(sameResult(std::nextafter(number, 0.0)));
    ASSERT_TRUE(sameResult(std::nextafter(number, 1e300)));
  }
  // The octave below the bound, where a count's number is closest to the
  // next count's: a million more.
  for (int i = 0; i < 1000000; ++i) {
    const double number = static_cast<double>((std::uint64_t{1} << 51) + (random() >> 13)) / 1e6;
    ASSERT_TRUE(sameResult(number));
  }
  double up = static_cast<double>(std::uint64_t{1} << 52) / 1e6, down = up;
  for (int i = 0; i < 2000; ++i, up = std::nextafter(up, 1e300), down = std::nextafter(down, 0.0)) {
    ASSERT_TRUE(sameResult(up));
    ASSERT_TRUE(sameResult(-down));
  }
}

// Same bits: the remainder keeps the dividend's sign, a zero too.
::testing::AssertionResult sameRemainder(double dividend, double divisor) {
  double fast = remainderOf(dividend, divisor);
  double library = std::fmod(dividend, divisor);
  if (std::memcmp(&fast, &library, sizeof fast) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "%a " << dividend << " % " << divisor << ": " << fast
                                       << " != " << library;
}

TEST(Numbers, RemainderAsFmod) {
  const struct {
    double dividend, divisor, remainder;
  } cases[] = {
      {7, 3, 1},       {-7, 3, -1},     {7, -3, 1},        {-7, -3, -1},    {-4, 2, -0.0},
      {4, -2, 0},      {0, 5, 0},       {-0.0, 5, -0.0},   {5, 7, 5},       {-5, 7, -5},
      {7.5, 2, 1.5},   {-7.5, 2, -1.5}, {1e300, 1e300, 0}, {9007199254740991, 10, 1},
      {9007199254740992, 3, 2},  // 2^53: past the integers, fmod's exact answer
      {-9007199254740991, 1e15, -7199254740991},
      {4294967296, 4294967295, 1},
      {6, HUGE_VAL, 6},
      {-0.0, HUGE_VAL, -0.0},
      {-6, -HUGE_VAL, -6},
      // The integer path ends below 2^31 in magnitude: each side of it.
      {2147483647, 10, 7},
      {-2147483647, 10, -7},
      {2147483648, 10, 8},
      {-2147483648, 10, -8},
      {2147483649, 10, 9},
      {-2147483649, 10, -9},
      {5, 2147483647, 5},
      {5, 2147483648, 5},
      {-5, -2147483649, -5},
      {2147483647, 2147483647, 0},
      {-2147483647, 2147483647, -0.0},
      {2147483646, 2147483647, 2147483646},
      {2147483648, 2147483647, 1},
      {2147483649, 2147483648, 1},
      {-2147483649, -2147483648, -1},
      {2147483647, -1, 0},
      {-2147483647, -1, -0.0},
      {-2147483648, -1, -0.0},
      {3, 1, 0},
      {-3, 1, -0.0},
      {0, -3, 0},
      {-0.0, -3, -0.0},
      // Not whole: fmod's.
      {2147483647.5, 2, 1.5},
      {-2147483647.5, 2, -1.5},
      {-0.5, 1, -0.5},
      {1e-300, 3, 1e-300},
      {7, 0.5, 0},
      {7, 2.5, 2},
      {-7, -2.5, -2},
  };
  for (const auto& c : cases) {
    double remainder = remainderOf(c.dividend, c.divisor);
    EXPECT_EQ(std::memcmp(&remainder, &c.remainder, sizeof remainder), 0) << c.dividend << " % " << c.divisor;
  }
  EXPECT_TRUE(std::isnan(remainderOf(5, 0)));
  EXPECT_TRUE(std::isnan(remainderOf(HUGE_VAL, 3)));
  EXPECT_TRUE(std::isnan(remainderOf(std::nan(""), 3)));
  EXPECT_TRUE(std::isnan(remainderOf(5, -0.0)));
  EXPECT_TRUE(std::isnan(remainderOf(0, 0)));
  EXPECT_TRUE(std::isnan(remainderOf(-2147483647, 0)));
  EXPECT_TRUE(std::isnan(remainderOf(5, std::nan(""))));
  EXPECT_TRUE(std::isnan(remainderOf(-HUGE_VAL, 3)));
  // Every pair of operands near the ends of the integer path (2^31 in
  // magnitude) and near zero, of either sign, and halves between them.
  const double near[] = {0, 1, 2, 3, 2147483645, 2147483646, 2147483647, 2147483648, 2147483649, 2147483650};
  for (double left : near) {
    for (double right : near) {
      for (double half : {0.0, 0.5}) {
        for (int signs = 0; signs < 4; ++signs) {
          const double dividend = (signs & 1 ? -1 : 1) * (left + half);
          const double divisor = (signs & 2 ? -1 : 1) * right;
          EXPECT_TRUE(sameRemainder(dividend, divisor));
          EXPECT_TRUE(sameRemainder(divisor, dividend));
        }
      }
    }
  }
  std::mt19937_64 random(10122026);
  auto operand = [&random]() {
    double value;
    switch (random() % 8) {
      case 0: value = 0; break;
      case 1: value = static_cast<double>(random() >> (random() % 64)) + 0.5; break;
      case 2:
        value = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 2000) - 1000);
        break;
      default: value = static_cast<double>(random() >> (4 + random() % 60)); break;  // integers up to 2^60
    }
    return random() % 2 ? -value : value;
  };
  int failures = 0;
  for (int i = 0; i < 1'000'000 && failures < 10; ++i) {
    double dividend = operand();
    double divisor = operand();
    ::testing::AssertionResult result = sameRemainder(dividend, divisor);
    if (!result) {
      ADD_FAILURE() << result.message();
      ++failures;
    }
  }
}

TEST(Numbers, HardCasesRead) {
  const char* cases[] = {
      "0", "-0", "+0", "1", "+1", "-1", "12abc", "3,5", "1e", "1e+", "1e-", "1e5", "1E5",
      "1e+5", "1e-5", "1e400", "-1e400", "1e-400", "4.9e-324", "2.4703282292062327e-324",
      "2.4703282292062328e-324", "2.2250738585072011e-308", "0x10", "0X1p3", "-0x1A", "+0x10",
      "1.", "1.e3", "1.5.5", "00000000000000000000000001", "9007199254740993",
      "9007199254740992", "9007199254740993.000001", "1e22", "1e23", "123456789e-22",
      "123456789e-23", "1.7976931348623157e308", "1.7976931348623159e308",
      "0.000000000000000000000000000000000000000000001", "4999950000.000000", "7abc",
      "1,5e-3", "1e2e3", "1e0005", "1e-0005", "0.1", "0.30000000000000004",
      "179769313486231570000000000000000000000000000000000000000000000000000000000000000000000"
      "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
      "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
      "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"};
  for (const char* text : cases) EXPECT_TRUE(sameNumber(text));
}

TEST(Numbers, MillionRandomDoublesFormat) {
  std::mt19937_64 random(20261208);
  int failures = 0;
  for (int i = 0; i < 1'000'000 && failures < 10; ++i) {
    double value;
    switch (i % 4) {
      case 0: {  // any bit pattern
        std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        break;
      }
      case 1:  // moderate magnitudes with a fraction
        value = std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(random() % 60));
        break;
      case 2:  // whole numbers, as loop counters make them
        value = static_cast<double>(static_cast<std::int64_t>(random() >> (random() % 64)));
        break;
      default:  // values near the rounding points of the sixth decimal
        value = (static_cast<double>(random() % 2000000000) + 0.5) / 1e6;
        break;
    }
    if (random() % 2) value = -value;
    if (!sameText(value)) {
      ADD_FAILURE() << sameText(value).message();
      ++failures;
    }
  }
}

TEST(Numbers, MillionRandomTextsRead) {
  std::mt19937_64 random(8122026);
  const char alphabet[] = "0123456789012345678901234567890123456789.,eE+-x";
  int failures = 0;
  char text[64];
  for (int i = 0; i < 1'000'000 && failures < 10; ++i) {
    if (i % 2 == 0) {  // the text of a number the interpreter wrote or could write
      double value = std::ldexp(static_cast<double>(random() >> 11),
                                static_cast<int>(random() % 200) - 120);
      const char* formats[] = {"%f", "%.17g", "%g", "%.3e", "%.0f"};
      std::snprintf(text, sizeof text, formats[random() % 5], value);
    } else {  // what a student may type: a digit first, then anything of numbers
      std::size_t length = 1 + random() % 30;
      std::size_t start = 0;
      if (random() % 4 == 0) text[start++] = random() % 2 ? '-' : '+';
      text[start++] = static_cast<char>('0' + random() % 10);
      for (std::size_t k = start; k < length + start; ++k) {
        text[k] = alphabet[random() % (sizeof alphabet - 1)];
      }
      text[length + start] = '\0';
    }
    if (!sameNumber(text)) {
      ADD_FAILURE() << sameNumber(text).message();
      ++failures;
    }
  }
}

}  // namespace
}  // namespace m4t4

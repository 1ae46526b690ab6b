// The fast number conversions against the library calls they stand for:
// toNumber against atof, formatFixed and formatNumber against "%f".
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "procedures.h"

namespace plimbo {
namespace {

// Bitwise, so that -0.0 differs from 0.0.
bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string printfFixed(double number) {
  char text[400];
  std::snprintf(text, sizeof text, "%f", number);
  return text;
}

std::string fastFixed(double number) {
  char text[400];
  const std::size_t length = formatFixed(number, text, sizeof text);
  return length < sizeof text ? std::string(text, length) : "(too long)";
}

// Checks one double: its text, and the value made of it as an arithmetic result.
void checkDouble(double number) {
  const std::string expected = printfFixed(number);
  ASSERT_EQ(fastFixed(number), expected) << std::hexfloat << number;
  Value value;
  const bool fits = formatNumber(number, value);
  ASSERT_EQ(fits, expected.size() <= 254) << expected;
  if (!fits) return;
  writeText(value);
  ASSERT_EQ(std::string(value.text.data(), value.length), expected);
  ASSERT_EQ(value.numeric, MyIsdigit(expected.c_str()) == 1) << expected;
  if (value.numeric) {
    ASSERT_TRUE(same(value.number, std::atof(expected.c_str()))) << expected;
  }
}

// checkDouble without its copies, for the large sweeps.
void checkResult(double number) {
  char expected[400];
  const int length = std::snprintf(expected, sizeof expected, "%f", number);
  char text[400];
  if (formatFixed(number, text, sizeof text) != static_cast<std::size_t>(length) ||
      std::memcmp(text, expected, static_cast<std::size_t>(length) + 1) != 0) {
    FAIL() << std::hexfloat << number << ": " << text << " != " << expected;
  }
  Value value;
  if (!formatNumber(number, value)) {
    ASSERT_GT(length, 254) << expected;
    return;
  }
  writeText(value);
  ASSERT_TRUE(value.length == length && std::memcmp(value.text.data(), expected, value.length + 1u) == 0)
      << std::hexfloat << number << ": " << value.text.data() << " != " << expected;
  if (std::isfinite(number)) {
    ASSERT_TRUE(value.numeric && same(value.number, std::atof(expected))) << expected;
  } else {
    ASSERT_FALSE(value.numeric) << expected;
  }
}

void checkText(const std::string& text) {
  const double expected = std::atof(text.c_str());
  ASSERT_TRUE(same(toNumber(text.c_str()), expected)) << text;
}

TEST(PlimboNumbers, HardCases) {
  const double doubles[] = {0.0, -0.0, 0.0000005, 0.0000015, 0.0000025, 1.0000005, 2.5e-7, 0.1234565,
                            -0.0000005, 0.49999999999999994, 1e22, 1e23, 9007199254740992.0,
                            9007199254740994.0, 4503599627370495.5, 1e15, 1e16, 123456789.0000005,
                            DBL_MIN, DBL_TRUE_MIN, 4.9e-324, 2.2250738585072014e-308, DBL_MAX, -DBL_MAX,
                            1e245, -1e245, 1e246, 1e247, 1e300, 1e308, 0.1, 0.7, 1.0 / 3, -2.0 / 3,
                            HUGE_VAL, -HUGE_VAL, std::nan(""), -std::nan(""), 0.0 / 1.0};
  for (double number : doubles) checkDouble(number);
  volatile double zero = 0.0;
  checkDouble(zero / zero);  // -nan on this machine, as printf writes it
  const char* texts[] = {"0", "-0", "+0", "12abc", "3,5", "1e", "1e+", "1e-", "1e400", "-1e400", "1e-400",
                         "0x10", "-0x10", "+0x1p3", "0X1A", "00x10", "0x", "0xg", "1.e5", "1.", "-,5",
                         ",5", "+,5", "+5", "-5", "9007199254740993", "9007199254740992",
                         "123456789012345678901234567890", "4.9e-324", "2.4703282292062328e-324",
                         "2.2250738585072011e-308", "1.7976931348623157e308", "1.7976931348623159e308",
                         "0.1", "1e22", "1e23", "0.0000005", "7abc", "5e", "5e+x", "5ee3", "1_000",
                         "123456789012345", "1234567890123456", "12345678901234567", "000000000000000001"};
  for (const char* text : texts) checkText(text);
  checkText(std::string(254, '9'));
  checkText("0." + std::string(252, '0'));
}

// Texts worked out from the exact binary value of each double: the sixth
// decimal rounds half to even only on an exact tie (odd multiples of 1/128),
// and a negative keeps its sign when it rounds to zero.
TEST(PlimboNumbers, SixthDecimalRounding) {
  const struct {
    double number;
    const char* text;
  } cases[] = {
      {1.0 / 128, "0.007812"},        // 7812.5 millionths, a tie: to the even 7812
      {3.0 / 128, "0.023438"},        // 23437.5: to 23438
      {5.0 / 128, "0.039062"},        // 39062.5: to 39062
      {-3.0 / 128, "-0.023438"},
      {5e-7, "0.000000"},             // the double is below half a millionth
      {-5e-7, "-0.000000"},
      {2.5e-7, "0.000000"},
      {-2.5e-7, "-0.000000"},
      {7.5e-7, "0.000001"},           // above 0.00000075
      {1.5e-6, "0.000002"},
      {2.5e-6, "0.000003"},           // above the tie, so not to even
      {1.0000005, "1.000001"},
      {0.1234565, "0.123456"},        // below the tie
      {0.9999995, "1.000000"},        // above: carries into the integer part
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
      {DBL_TRUE_MIN, "0.000000"},
      {-DBL_TRUE_MIN, "-0.000000"},
      {-DBL_MIN, "-0.000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fastFixed(c.number), c.text) << std::hexfloat << c.number;
    EXPECT_EQ(printfFixed(c.number), c.text) << std::hexfloat << c.number;
    checkDouble(c.number);
  }
}

// One of the kinds of doubles of the sweeps below, each drawn from random.
enum class Kind { kMagnitudes, kNearTies, kTies, kTiny, kWholeAndHuge };

double draw(Kind kind, std::mt19937_64& random) {
  double number = 0;
  switch (kind) {
    case Kind::kMagnitudes:  // 53 random bits at any scale from subnormal to 2^70
      number = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 1144) - 1126);
      break;
    case Kind::kNearTies: {  // a few ulps around the double nearest k + 1/2 millionths
      const std::uint64_t k = random() % (std::uint64_t{10} << (random() % 53));
      number = (static_cast<double>(k) + 0.5) / 1e6;
      for (int steps = static_cast<int>(random() % 7) - 3; steps != 0; steps += steps < 0 ? 1 : -1)
        number = std::nextafter(number, steps < 0 ? 0.0 : HUGE_VAL);
      break;
    }
    case Kind::kTies: {  // exact ties (odd multiples of 1/128) and decimal ties
      const std::uint64_t odd = (random() >> (random() % 64)) | 1;
      switch (random() % 4) {
        case 0: number = std::ldexp(static_cast<double>(odd & ((std::uint64_t{1} << 53) - 1)), -7); break;
        case 1: number = std::nextafter(std::ldexp(static_cast<double>(odd % (1u << 30)), -7), random() % 2 ? 0.0 : 1.0); break;
        case 2: number = static_cast<double>(odd % 100000000000) * 5e-7; break;
        default: number = static_cast<double>(random() % 10000000000) * 2.5e-7; break;
      }
      break;
    }
    case Kind::kTiny: {  // subnormals, and normals below 2^-50
      std::uint64_t bits = random() & ((std::uint64_t{1} << 52) - 1);
      if (random() % 2) bits |= (1 + random() % 972) << 52;
      std::memcpy(&number, &bits, sizeof number);
      break;
    }
    case Kind::kWholeAndHuge:  // integers of every length up to 2^188; a few of any size
      switch (random() % 8) {
        case 0: number = 0; break;
        case 1: number = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 68)); break;
        case 2:
          if (random() % 64 == 0) {  // any bit pattern, inf and nan among them (their texts are long)
            const std::uint64_t bits = random();
            std::memcpy(&number, &bits, sizeof number);
            return number;
          }
          number = std::ldexp(static_cast<double>(random() >> 11), 68 + static_cast<int>(random() % 68));
          break;
        default: number = static_cast<double>(random() >> (random() % 64)); break;
      }
      break;
  }
  return random() % 2 ? -number : number;
}

// A million doubles of each kind: their texts as "%f" writes them, and the
// number of each result value as atof reads its text.
TEST(PlimboNumbers, MillionOfEachKind) {
  std::mt19937_64 random(20261209);
  for (Kind kind : {Kind::kMagnitudes, Kind::kNearTies, Kind::kTies, Kind::kTiny, Kind::kWholeAndHuge}) {
    for (int i = 0; i < 1000000; ++i) {
      checkResult(draw(kind, random));
      if (HasFatalFailure()) return;
    }
  }
}

// A fraction's number is the quotient of its millionths by 10^6, which is
// what atof reads from its text while there are fewer than 2^53 millionths.
TEST(PlimboNumbers, MillionthsReadBack) {
  std::mt19937_64 random(9122026);
  char text[32];
  for (int i = 0; i < 1000000; ++i) {
    const std::uint64_t count = (random() >> 11) >> (random() % 53);  // below 2^53
    std::snprintf(text, sizeof text, "%llu.%06llu", static_cast<unsigned long long>(count / 1000000),
                  static_cast<unsigned long long>(count % 1000000));
    ASSERT_TRUE(same(static_cast<double>(count) / 1e6, std::atof(text))) << text;
  }
}

// A fraction's text is written when it is read, from its number alone, below
// 2^52 millionths, and at once from there: the results nearest to count / 10^6
// for counts of every size, and every double within 2,000 of the one nearest
// 2^52 millionths, read back as "%f" writes them.
TEST(PlimboNumbers, FractionTextsWrittenLater) {
  std::mt19937_64 random(12092026);
  for (int i = 0; i < 1000000; ++i) {
    const std::uint64_t count = (random() >> 11) >> (random() % 53);  // below 2^53
    const double number = static_cast<double>(count) / 1e6;
    checkResult(random() % 2 ? -number : number);
    checkResult(std::nextafter(number, 0.0));
    checkResult(std::nextafter(number, 1e300));
    if (HasFatalFailure()) return;
  }
  // The octave below the bound, where a count's number is closest to the
  // next count's: a million more.
  for (int i = 0; i < 1000000; ++i) {
    const double number = static_cast<double>((std::uint64_t{1} << 51) + (random() >> 13)) / 1e6;
    checkResult(number);
    if (HasFatalFailure()) return;
  }
  double up = static_cast<double>(std::uint64_t{1} << 52) / 1e6, down = up;
  for (int i = 0; i < 2000; ++i, up = std::nextafter(up, 1e300), down = std::nextafter(down, 0.0)) {
    checkResult(up);
    checkResult(-down);
    if (HasFatalFailure()) return;
  }
}

// The remainder against fmod, sign and all (-4 % 2 is -0).
TEST(PlimboNumbers, RemainderAsFmod) {
  const struct {
    double dividend, divisor, remainder;
  } cases[] = {
      {7, 3, 1},       {-7, 3, -1},     {7, -3, 1},          {-7, -3, -1},      {-4, 2, -0.0},
      {4, -2, 0},      {0, 5, 0},       {-0.0, 5, -0.0},     {5, 7, 5},         {-5, 7, -5},
      {7.5, 2, 1.5},   {-7.5, 2, -1.5}, {1e300, 1e300, 0},   {9007199254740991, 10, 1},
      {9007199254740992, 3, 2},  // 2^53: past the integers, fmod's exact answer
      {-9007199254740991, 1e15, -7199254740991},  {4294967296, 4294967295, 1},
      {6, HUGE_VAL, 6},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(same(remainderOf(c.dividend, c.divisor), c.remainder)) << c.dividend << " % " << c.divisor;
  }
  EXPECT_TRUE(std::isnan(remainderOf(5, 0)));
  EXPECT_TRUE(std::isnan(remainderOf(HUGE_VAL, 3)));
  EXPECT_TRUE(std::isnan(remainderOf(std::nan(""), 3)));
  std::mt19937_64 random(10122026);
  const auto operand = [&random]() {
    double number;
    switch (random() % 8) {
      case 0: number = 0; break;
      case 1: number = static_cast<double>(random() >> (random() % 64)) + 0.5; break;
      case 2: number = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 2000) - 1000); break;
      default: number = static_cast<double>(random() >> (4 + random() % 60)); break;  // integers up to 2^60
    }
    return random() % 2 ? -number : number;
  };
  for (int i = 0; i < 1000000; ++i) {
    const double dividend = operand();
    const double divisor = operand();
    const double expected = std::fmod(dividend, divisor);
    ASSERT_TRUE(same(remainderOf(dividend, divisor), expected))
        << std::hexfloat << dividend << " % " << divisor;
  }
}

TEST(PlimboNumbers, MillionRandomDoubles) {
  std::mt19937_64 random(20261208);
  std::uniform_int_distribution<int> digits(0, 9);
  for (int i = 0; i < 1000000; ++i) {
    double number;
    switch (i % 4) {
      case 0: {  // any bit pattern: every magnitude, subnormals, inf and nan
        std::uint64_t bits = random();
        std::memcpy(&number, &bits, sizeof number);
        break;
      }
      case 1:  // sums and quotients of small integers, as loops make them
        number = static_cast<double>(static_cast<std::int64_t>(random() % 2000001) - 1000000) /
                 static_cast<double>(1 + random() % 1000);
        break;
      case 2:  // close to a halfway case at the sixth decimal
        number = std::ldexp(static_cast<double>(random() % 100000000) + 0.5, -static_cast<int>(random() % 40)) /
                 1e6;
        break;
      default:  // moderate magnitudes
        number = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 120) - 90);
        if (random() % 2) number = -number;
        break;
    }
    checkDouble(number);
  }
}

TEST(PlimboNumbers, MillionRandomTexts) {
  std::mt19937_64 random(8122026);
  const char* signs[] = {"", "", "-", "+"};
  const char* tails[] = {"", "", "", "abc", ",5", "e", "e+", "e-7", "E12", "e400", "e-400", "x1", " 1", "."};
  std::string text;
  for (int i = 0; i < 1000000; ++i) {
    text = signs[random() % 4];
    const int whole = static_cast<int>(random() % 25);
    for (int d = 0; d < whole; ++d) text += static_cast<char>('0' + random() % 10);
    if (random() % 2) {
      text += '.';
      const int fraction = static_cast<int>(random() % 20);
      for (int d = 0; d < fraction; ++d) text += static_cast<char>('0' + random() % 10);
    }
    if (random() % 3 == 0) text.append("e").append(std::to_string(static_cast<int>(random() % 700) - 350));
    text += tails[random() % std::size(tails)];
    if (random() % 50 == 0) text = (random() % 2 ? "0x" : "-0X") + text;
    checkText(text);
  }
}

}  // namespace
}  // namespace plimbo

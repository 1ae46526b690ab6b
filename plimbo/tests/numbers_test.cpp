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

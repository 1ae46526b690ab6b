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

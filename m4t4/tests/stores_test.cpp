#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "clean_state.h"

namespace m4t4 {
namespace {

using Stores = CleanState;

TEST_F(Stores, FetchCreatesUndefinedVariable) {
  copyText(hodnota_tab, "@a");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "hodnota neurcena");
  copyText(hodnota_tab, "@a");
  TableRecord* record = Vloz_do_tab();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record, vrchol_tab);
  EXPECT_EQ(vrchol_tab->next, nullptr);
}

TEST_F(Stores, NamesMatchWhole) {
  copyText(hodnota_tab, "@x");
  TableRecord* x = Vloz_do_tab();
  copyText(hodnota_tab, "5");
  Vloz_obsah_tab(x);
  copyText(hodnota_tab, "@x1");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "hodnota neurcena");
  copyText(hodnota_tab, "@x");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "5");
}

TEST_F(Stores, FlagOffChangesNothing) {
  copyText(hodnota_tab, "@k");
  TableRecord* known = Vloz_do_tab();
  i2_priznak = 0;
  copyText(hodnota_tab, "@u");
  EXPECT_EQ(Vloz_do_tab(), nullptr);
  copyText(hodnota_tab, "@k");
  EXPECT_EQ(Vloz_do_tab(), known);
  copyText(hodnota_tab, "new");
  Vloz_obsah_tab(known);
  EXPECT_STREQ(known->text(), "hodnota neurcena");
  Vloz_obsah_tab(nullptr);
  copyText(hodnota_tab, "@u");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "@u");
  copyText(hodnota_zas, "v");
  Vloz_do_zas();
  EXPECT_EQ(vrchol_zas, nullptr);
  Uber_ze_zas();
  EXPECT_STREQ(hodnota_zas.data(), "v");
  EXPECT_EQ(vrchol_tab->next, nullptr);
}

TEST_F(Stores, StackIsLastInFirstOutAndEmptyPopGivesEmptyText) {
  copyText(hodnota_zas, "1");
  Vloz_do_zas();
  copyText(hodnota_zas, "2");
  Vloz_do_zas();
  Uber_ze_zas();
  EXPECT_STREQ(hodnota_zas.data(), "2");
  Uber_ze_zas();
  EXPECT_STREQ(hodnota_zas.data(), "1");
  Uber_ze_zas();
  EXPECT_STREQ(hodnota_zas.data(), "");
}

TEST_F(Stores, CopiesAreBounded) {
  std::string longer(400, 'z');
  copyText(hodnota_zas, longer.c_str());
  EXPECT_EQ(std::string(hodnota_zas.data()).size(), 254u);
  copyText(hodnota_zas, "ab");
  appendText(hodnota_zas, longer.c_str());
  EXPECT_EQ(std::string(hodnota_zas.data()), "ab" + std::string(252, 'z'));
}

TEST_F(Stores, WholeResultsGiveTheirTextWhenRead) {
  copyText(hodnota_tab, "@a");
  TableRecord* record = Vloz_do_tab();
  pushNumber(-12.0, "rule");
  popIntoRecord(*record);
  copyText(hodnota_tab, "@a");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "-12.000000");
  pushNumber(-0.0, "rule");
  pushNumber(0.5, "rule");
  Uber_ze_zas();
  EXPECT_STREQ(hodnota_zas.data(), "0.500000");
  Uber_ze_zas();
  EXPECT_STREQ(hodnota_zas.data(), "-0.000000");
}

// Room without allocating: as many values as popped nodes wait for reuse.
TEST_F(Stores, RoomWithoutAllocatingIsTheSpareNodes) {
  EXPECT_TRUE(valueStackHasRoom(0));
  EXPECT_FALSE(valueStackHasRoom(1));
  pushNumber(1, "rule");
  pushNumber(2, "rule");
  pushNumber(3, "rule");
  dropValues(2);
  EXPECT_TRUE(valueStackHasRoom(2));
  EXPECT_FALSE(valueStackHasRoom(3));
  copyText(hodnota_zas, "x");
  Vloz_do_zas();
  EXPECT_FALSE(valueStackHasRoom(2));
  Uber_ze_zas();
  Uber_ze_zas();
  EXPECT_TRUE(valueStackHasRoom(3));
  EXPECT_FALSE(valueStackHasRoom(4));
  // Never past the deepest stack.
  while (stackDepth() < static_cast<std::size_t>(kMaxValues)) pushNumber(1, "rule");
  EXPECT_TRUE(valueStackHasRoom(0));
  EXPECT_FALSE(valueStackHasRoom(1));
  dropValues(static_cast<int>(kMaxValues));
  EXPECT_TRUE(valueStackHasRoom(kMaxValues));
  EXPECT_FALSE(valueStackHasRoom(kMaxValues + 1));
  Uvolni_zas();
  EXPECT_FALSE(valueStackHasRoom(1));
}

TEST_F(Stores, LongNamesAndValuesAreKeptWhole) {
  const std::string name = "@a_name_of_more_than_twenty_four_characters";
  const std::string value(254, 'v');
  copyText(hodnota_tab, name.c_str());
  TableRecord* record = Vloz_do_tab();
  copyText(hodnota_tab, value.c_str());
  Vloz_obsah_tab(record);
  copyText(hodnota_tab, (name + "x").c_str());  // another variable
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "hodnota neurcena");
  copyText(hodnota_tab, name.c_str());
  Nacti_obsah_tab();
  EXPECT_EQ(hodnota_tab.data(), value);
  copyText(hodnota_tab, "short");  // a short value after a long one
  Vloz_obsah_tab(record);
  pushNumber(-7.0, "rule");  // a whole number's text, written when read
  popIntoRecord(*record);
  copyText(hodnota_tab, name.c_str());
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "-7.000000");
  copyText(hodnota_tab, "short");
  Vloz_obsah_tab(record);
  copyText(hodnota_tab, name.c_str());
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "short");
}

// A record holds a name of up to kInlineName - 1 characters and a value of
// up to kInlineValue - 1 in itself; longer ones live apart. Names and values
// of every length around those edges (and around whole words of a long
// name) are kept whole, each name apart from the one a character longer.
std::string nameOf(std::size_t length) {  // "@nn...", `length` characters
  std::string name(length, 'n');
  name[0] = '@';
  return name;
}

TEST_F(Stores, NamesAndValuesAroundTheRecordsEdgesAreKeptWhole) {
  static_assert(kInlineName == 16 && kInlineValue == 24);
  for (std::size_t length : {2u, 7u, 8u, 9u, 14u, 15u, 16u, 17u, 23u, 24u, 25u, 31u, 32u, 33u, 253u, 254u}) {
    const std::string name = nameOf(length);
    copyText(hodnota_tab, name.c_str());
    TableRecord* record = Vloz_do_tab();
    ASSERT_NE(record, nullptr) << length;
    EXPECT_EQ(record->nameLength, length);
    EXPECT_EQ(std::string(record->name()), name);
    copyText(hodnota_tab, std::to_string(length).c_str());
    Vloz_obsah_tab(record);
  }
  for (std::size_t length : {2u, 7u, 8u, 9u, 14u, 15u, 16u, 17u, 23u, 24u, 25u, 31u, 32u, 33u, 253u, 254u}) {
    copyText(hodnota_tab, nameOf(length).c_str());
    Nacti_obsah_tab();
    EXPECT_EQ(hodnota_tab.data(), std::to_string(length)) << length;
  }
  copyText(hodnota_tab, "@v");
  TableRecord* record = Vloz_do_tab();
  // Each value, one character longer each time: from inline to its own
  // field (at 24 characters), which it keeps as it shrinks back.
  for (std::size_t length : {0u, 1u, 22u, 23u, 24u, 25u, 254u, 25u, 24u, 23u, 22u, 1u, 0u}) {
    const std::string value(length, static_cast<char>('a' + length % 26));
    copyText(hodnota_tab, value.c_str());
    Vloz_obsah_tab(record);
    EXPECT_EQ(record->length, length);
    copyText(hodnota_tab, "@v");
    Nacti_obsah_tab();
    EXPECT_EQ(hodnota_tab.data(), value) << length;
  }
}

// A whole result keeps its "%f" text unwritten until it is read; a text of
// 24 characters or more does not fit the record, and is made again at each
// read rather than given a field (a read never allocates).
TEST_F(Stores, WholeResultsOfEveryTextLengthAreReadWhole) {
  const struct {
    double value;
    const char* text;
  } rows[] = {
      {999999999999999.0, "999999999999999.000000"},       // 22 characters
      {-999999999999999.0, "-999999999999999.000000"},     // 23: the longest held in the record
      {1000000000000000.0, "1000000000000000.000000"},     // 23
      {-1000000000000000.0, "-1000000000000000.000000"},   // 24: too long for it
      {10000000000000000.0, "10000000000000000.000000"},   // 24
      {-123456789012345678.0, "-123456789012345680.000000"},  // 26 (the double's value)
      {-12.0, "-12.000000"},
  };
  copyText(hodnota_tab, "@w");
  TableRecord* record = Vloz_do_tab();
  // First in the record alone, then in the field a long value gave it.
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& row : rows) {
      pushNumber(row.value, "rule");
      popIntoRecord(*record);
      for (int read = 0; read < 2; ++read) {
        copyText(hodnota_tab, "@w");
        Nacti_obsah_tab();
        EXPECT_STREQ(hodnota_tab.data(), row.text) << pass << " " << read;
      }
    }
    copyText(hodnota_tab, std::string(30, 'l').c_str());
    Vloz_obsah_tab(record);
  }
}

TEST_F(Stores, ManyVariablesStayDistinct) {
  for (int i = 0; i < 2000; ++i) {
    std::string name = "@v" + std::to_string(i);
    copyText(hodnota_tab, name.c_str());
    TableRecord* record = Vloz_do_tab();
    copyText(hodnota_tab, std::to_string(i * 2).c_str());
    Vloz_obsah_tab(record);
  }
  // Records are carved from blocks of memory, each on a cache line of its
  // own (64 bytes, 64-aligned), the newest first in the list.
  int count = 0;
  for (const TableRecord* record = vrchol_tab; record != nullptr; record = record->next, ++count) {
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(record) % 64, 0u) << count;
    ASSERT_EQ(std::string(record->name()), "@v" + std::to_string(1999 - count));
  }
  EXPECT_EQ(count, 2000);
  for (int i = 0; i < 2000; ++i) {  // each one found again, whatever the table grew to
    copyText(hodnota_tab, ("@v" + std::to_string(i)).c_str());
    Nacti_obsah_tab();
    ASSERT_EQ(hodnota_tab.data(), std::to_string(i * 2)) << i;
  }
  copyText(hodnota_tab, "@v");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "hodnota neurcena");
}

}  // namespace
}  // namespace m4t4

namespace m4t4 {
namespace {

// Published SipHash-2-4 values (key 00 01 .. 0f, message 00 01 ..): the
// index's SipHash-1-3 runs the same steps with fewer rounds.
TEST(SipHash, GivesThePublishedValues) {
  const HashKey key{0x0706050403020100u, 0x0f0e0d0c0b0a0908u};
  char message[24] = {};
  for (int i = 0; i < 24; ++i) message[i] = static_cast<char>(i);
  EXPECT_EQ((sipHash<2, 4>(key, message, 0)), 0x726fdb47dd0e0e31u);
  EXPECT_EQ((sipHash<2, 4>(key, message, 1)), 0x74f839c593dc67fdu);
  EXPECT_EQ((sipHash<2, 4>(key, message, 8)), 0x93f5f5799a932462u);
  EXPECT_EQ((sipHash<2, 4>(key, message, 15)), 0xa129ca6149be45e5u);
  // Bytes past the length do not count.
  char longer[24];
  std::memcpy(longer, message, sizeof longer);
  longer[15] = 'x';
  EXPECT_EQ((sipHash<2, 4>(key, longer, 15)), 0xa129ca6149be45e5u);
}

class Index : public CleanState {
 protected:
  // Enters each name as a variable holding its position in `names`.
  void enter(const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      copyText(hodnota_tab, names[i].c_str());
      TableRecord* record = Vloz_do_tab();
      ASSERT_NE(record, nullptr) << names[i];
      copyText(hodnota_tab, std::to_string(i).c_str());
      Vloz_obsah_tab(record);
    }
  }
  // Every name is found with its value.
  void expectFound(const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      copyText(hodnota_tab, names[i].c_str());
      Nacti_obsah_tab();
      ASSERT_EQ(hodnota_tab.data(), std::to_string(i)) << names[i];
    }
  }
};

const HashKey kKeyA{0x0123456789abcdefu, 0xfedcba9876543210u};
const HashKey kKeyB{0x9e3779b97f4a7c15u, 0x243f6a8885a308d3u};

// Names whose hashes under `key` all have their low 10 bits zero: they share
// their home slot in every index of up to 1,024 slots.
std::vector<std::string> collidingNames(const HashKey& key, std::size_t count) {
  setHashKey(key);
  std::vector<std::string> names;
  for (std::uint64_t i = 0; names.size() < count; ++i) {
    std::string name = "@c" + std::to_string(i);
    if ((nameHash(name.data(), name.size()) & 1023) == 0) names.push_back(name);
  }
  return names;
}

TEST_F(Index, NamesMadeToCollideUnderOneKeySpreadUnderAnother) {
  const std::vector<std::string> names = collidingNames(kKeyA, 300);
  enter(names);
  EXPECT_EQ(indexSlots(), 1024u);
  EXPECT_EQ(longestProbe(), 300u);  // one run of 300 slots from slot 0
  expectFound(names);
  // The index rebuilt under another key.
  setHashKey(kKeyB);
  EXPECT_LE(longestProbe(), 16u);
  expectFound(names);
  // Entered afresh under the other key.
  reset();
  setHashKey(kKeyB);
  enter(names);
  EXPECT_LE(longestProbe(), 16u);
  expectFound(names);
}

TEST_F(Index, TheMostVariablesKeepShortProbes) {
  setHashKey(kKeyB);
  std::vector<std::string> names;
  for (int64_t i = 0; i < kMaxVariables; ++i) names.push_back("@v" + std::to_string(i));
  enter(names);
  // At most half of the slots are used, and every lookup looks at no more
  // than a few dozen of them.
  EXPECT_GE(indexSlots(), 2u * static_cast<std::size_t>(kMaxVariables));
  EXPECT_LE(longestProbe(), 64u);
  expectFound(names);
  copyText(hodnota_tab, "@one_too_many");
  EXPECT_EQ(Vloz_do_tab(), nullptr);
  EXPECT_TRUE(runStopped);
}

}  // namespace
}  // namespace m4t4

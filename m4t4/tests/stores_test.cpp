#include <gtest/gtest.h>

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
  EXPECT_STREQ(known->value.data(), "hodnota neurcena");
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

TEST_F(Stores, ManyVariablesStayDistinct) {
  for (int i = 0; i < 2000; ++i) {
    std::string name = "@v" + std::to_string(i);
    copyText(hodnota_tab, name.c_str());
    TableRecord* record = Vloz_do_tab();
    copyText(hodnota_tab, std::to_string(i * 2).c_str());
    Vloz_obsah_tab(record);
  }
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

#include <gtest/gtest.h>

#include "clean_state.h"

namespace m4t4 {
namespace {

using Stores = CleanState;

TEST_F(Stores, FetchCreatesUndefinedVariable) {
  kopiruj(hodnota_tab, "@a");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "hodnota neurcena");
  kopiruj(hodnota_tab, "@a");
  Zaznam* zaznam = Vloz_do_tab();
  ASSERT_NE(zaznam, nullptr);
  EXPECT_EQ(zaznam, vrchol_tab);
  EXPECT_EQ(vrchol_tab->dalsi, nullptr);
}

TEST_F(Stores, NamesMatchWhole) {
  kopiruj(hodnota_tab, "@x");
  Zaznam* x = Vloz_do_tab();
  kopiruj(hodnota_tab, "5");
  Vloz_obsah_tab(x);
  kopiruj(hodnota_tab, "@x1");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "hodnota neurcena");
  kopiruj(hodnota_tab, "@x");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "5");
}

TEST_F(Stores, FlagOffChangesNothing) {
  kopiruj(hodnota_tab, "@k");
  Zaznam* known = Vloz_do_tab();
  i2_priznak = 0;
  kopiruj(hodnota_tab, "@u");
  EXPECT_EQ(Vloz_do_tab(), nullptr);
  kopiruj(hodnota_tab, "@k");
  EXPECT_EQ(Vloz_do_tab(), known);
  kopiruj(hodnota_tab, "new");
  Vloz_obsah_tab(known);
  EXPECT_STREQ(known->hodnota.data(), "hodnota neurcena");
  Vloz_obsah_tab(nullptr);
  kopiruj(hodnota_tab, "@u");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "@u");
  kopiruj(hodnota_zas, "v");
  Vloz_do_zas();
  EXPECT_EQ(vrchol_zas, nullptr);
  Uber_ze_zas();
  EXPECT_STREQ(hodnota_zas.data(), "v");
  EXPECT_EQ(vrchol_tab->dalsi, nullptr);
}

TEST_F(Stores, StackIsLastInFirstOutAndEmptyPopGivesEmptyText) {
  kopiruj(hodnota_zas, "1");
  Vloz_do_zas();
  kopiruj(hodnota_zas, "2");
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
  kopiruj(hodnota_zas, longer.c_str());
  EXPECT_EQ(std::string(hodnota_zas.data()).size(), 254u);
  kopiruj(hodnota_zas, "ab");
  pripoj(hodnota_zas, longer.c_str());
  EXPECT_EQ(std::string(hodnota_zas.data()), "ab" + std::string(252, 'z'));
}

TEST_F(Stores, ManyVariablesStayDistinct) {
  for (int i = 0; i < 2000; ++i) {
    std::string name = "@v" + std::to_string(i);
    kopiruj(hodnota_tab, name.c_str());
    Zaznam* zaznam = Vloz_do_tab();
    kopiruj(hodnota_tab, std::to_string(i * 2).c_str());
    Vloz_obsah_tab(zaznam);
  }
  kopiruj(hodnota_tab, "@v1234");
  Nacti_obsah_tab();
  EXPECT_STREQ(hodnota_tab.data(), "2468");
}

}  // namespace
}  // namespace m4t4

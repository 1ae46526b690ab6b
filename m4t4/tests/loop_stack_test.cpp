#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "clean_state.h"

namespace m4t4 {
namespace {

class LoopStack : public CleanState {
 protected:

  static void record(const char* text, int32_t trida = kSlovo) {
    token_buffer = &scanBuffer;
    kopiruj(scanBuffer.text, text);
    scanBuffer.length = static_cast<uint16_t>(std::strlen(text));
    scanBuffer.trida = trida;
    scanBuffer.word = wordOf(text);
    Vloz_do_zas_cykl();
  }
  static std::vector<std::string> texts(const UzelTokenu* uzel) {
    std::vector<std::string> out;
    for (; uzel != nullptr; uzel = uzel->dalsi) out.emplace_back(uzel->token.text.data());
    return out;
  }
};

TEST_F(LoopStack, SourceModesRecordIntoEveryLevel) {
  Zvys_zas();
  Uroven* outer = zasobnik;
  rezim_LA = kZdrojTelo;
  record("w2");
  Zvys_zas();
  Uroven* inner = zasobnik;
  rezim_LA = kZdrojPodminka;
  record("1");
  rezim_LA = kZdrojTelo;
  record("{");
  EXPECT_EQ(texts(inner->podminka.prvni), (std::vector<std::string>{"1"}));
  EXPECT_EQ(texts(inner->telo.prvni), (std::vector<std::string>{"{"}));
  EXPECT_EQ(texts(outer->telo.prvni), (std::vector<std::string>{"w2", "1", "{"}));
  EXPECT_EQ(outer->podminka.prvni, nullptr);
  rezim_LA = kZdroj;
  record("ignored");
  EXPECT_EQ(inner->telo.posledni, inner->telo.prvni);
}

TEST_F(LoopStack, ReplayWrapsToTheFirstNodeAndKeepsClasses) {
  Zvys_zas();
  rezim_LA = kZdrojPodminka;
  record("1", kCislo);
  record(")", kOperator);
  Obnov_zas();
  rezim_LA = kPrehrajPodminku;
  std::vector<std::pair<std::string, int32_t>> got;
  for (int i = 0; i < 3; ++i) {
    Cti_ze_zas();
    got.emplace_back(token_buffer->text.data(), token_buffer->trida);
  }
  EXPECT_EQ(got, (std::vector<std::pair<std::string, int32_t>>{
                     {"1", kCislo}, {")", kOperator}, {"1", kCislo}}));
}

TEST_F(LoopStack, LookAheadReadsTheReplayingLevelAndRecordsBetween) {
  // Outer level R replays "a b c"; a loop N started inside it reads through
  // R's look-ahead cursor, and a loop M inside N's first pass reads there too.
  Zvys_zas();
  Uroven* r = zasobnik;
  rezim_LA = kZdrojTelo;
  for (const char* t : {"a", "b", "c", "d"}) record(t);
  Obnov_zas();
  rezim_LA = kPrehrajTelo;
  Cti_ze_zas();  // "a"
  Zvys_zas();
  Uroven* n = zasobnik;
  n->zdroj = r;
  Obnov_pom_zas();
  rezim_LA = kPomTelo;
  Cti_pres_pom();
  EXPECT_STREQ(token_buffer->text.data(), "b");
  Zvys_zas();
  Uroven* m = zasobnik;
  m->zdroj = r;
  rezim_LA = kPomPodminka;
  Cti_pres_pom();
  EXPECT_STREQ(token_buffer->text.data(), "c");
  EXPECT_EQ(texts(m->podminka.prvni), (std::vector<std::string>{"c"}));
  EXPECT_EQ(texts(n->telo.prvni), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(texts(r->telo.prvni), (std::vector<std::string>{"a", "b", "c", "d"}));
  Sniz_zas();
  Sniz_zas();
  EXPECT_EQ(zasobnik, r);
  EXPECT_EQ(r->kurzor_pom->token.text[0], 'd');
}

TEST_F(LoopStack, EmptyStackOperationsDoNothing) {
  Sniz_zas();
  Obnov_zas();
  Obnov_pom_zas();
  Cti_ze_zas();
  Uvolni_zas_cykl();
  EXPECT_EQ(zasobnik, nullptr);
}

}  // namespace
}  // namespace m4t4

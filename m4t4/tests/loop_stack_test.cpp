#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "clean_state.h"

namespace m4t4 {
namespace {

class LoopStack : public CleanState {
 protected:

  static void record(const char* text, int32_t tokenClass = kWord) {
    token_buffer = &scanBuffer;
    copyText(scanBuffer.text, text);
    scanBuffer.length = static_cast<uint16_t>(std::strlen(text));
    scanBuffer.tokenClass = tokenClass;
    scanBuffer.word = wordOf(text);
    Vloz_do_zas_cykl();
  }
  static std::vector<std::string> texts(const TokenNode* node) {
    std::vector<std::string> out;
    for (; node != nullptr; node = node->next) out.emplace_back(node->token.text.data());
    return out;
  }
};

TEST_F(LoopStack, SourceModesRecordIntoEveryLevel) {
  Zvys_zas();
  LoopLevel* outer = zasobnik;
  rezim_LA = kSourceBody;
  record("w2");
  Zvys_zas();
  LoopLevel* inner = zasobnik;
  rezim_LA = kSourceCondition;
  record("1");
  rezim_LA = kSourceBody;
  record("{");
  EXPECT_EQ(texts(inner->condition.first), (std::vector<std::string>{"1"}));
  EXPECT_EQ(texts(inner->body.first), (std::vector<std::string>{"{"}));
  EXPECT_EQ(texts(outer->body.first), (std::vector<std::string>{"w2", "1", "{"}));
  EXPECT_EQ(outer->condition.first, nullptr);
  rezim_LA = kSource;
  record("ignored");
  EXPECT_EQ(inner->body.last, inner->body.first);
}

TEST_F(LoopStack, ReplayWrapsToTheFirstNodeAndKeepsClasses) {
  Zvys_zas();
  rezim_LA = kSourceCondition;
  record("1", kNumber);
  record(")", kOperator);
  Obnov_zas();
  rezim_LA = kReplayCondition;
  std::vector<std::pair<std::string, int32_t>> got;
  for (int i = 0; i < 3; ++i) {
    Cti_ze_zas();
    got.emplace_back(token_buffer->text.data(), token_buffer->tokenClass);
  }
  EXPECT_EQ(got, (std::vector<std::pair<std::string, int32_t>>{
                     {"1", kNumber}, {")", kOperator}, {"1", kNumber}}));
}

TEST_F(LoopStack, LookAheadReadsTheReplayingLevelAndRecordsBetween) {
  // Outer level R replays "a b c"; a loop N started inside it reads through
  // R's look-ahead cursor, and a loop M inside N's first pass reads there too.
  Zvys_zas();
  LoopLevel* r = zasobnik;
  rezim_LA = kSourceBody;
  for (const char* t : {"a", "b", "c", "d"}) record(t);
  Obnov_zas();
  rezim_LA = kReplayBody;
  Cti_ze_zas();  // "a"
  Zvys_zas();
  LoopLevel* n = zasobnik;
  n->source = r;
  Obnov_pom_zas();
  rezim_LA = kLookAheadBody;
  readThroughLookAhead();
  EXPECT_STREQ(token_buffer->text.data(), "b");
  Zvys_zas();
  LoopLevel* m = zasobnik;
  m->source = r;
  rezim_LA = kLookAheadCondition;
  readThroughLookAhead();
  EXPECT_STREQ(token_buffer->text.data(), "c");
  EXPECT_EQ(texts(m->condition.first), (std::vector<std::string>{"c"}));
  EXPECT_EQ(texts(n->body.first), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(texts(r->body.first), (std::vector<std::string>{"a", "b", "c", "d"}));
  Sniz_zas();
  Sniz_zas();
  EXPECT_EQ(zasobnik, r);
  EXPECT_EQ(r->lookAheadCursor->token.text[0], 'd');
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

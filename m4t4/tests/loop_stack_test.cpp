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
  // The texts of a list, which may be a span ending before its last node's successor.
  static std::vector<std::string> span(const TokenList& list) {
    std::vector<std::string> out;
    for (const TokenNode* node = list.first; node != nullptr; node = node->next) {
      out.emplace_back(node->token.text.data());
      if (node == list.last) break;
    }
    return out;
  }
  static std::vector<std::string> texts(const TokenNode* node) {
    std::vector<std::string> out;
    for (; node != nullptr; node = node->next) out.emplace_back(node->token.text.data());
    return out;
  }
};

TEST_F(LoopStack, SourceModesRecordOnceIntoTheOutermostBody) {
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
  EXPECT_EQ(span(inner->condition), (std::vector<std::string>{"1"}));
  EXPECT_EQ(span(inner->body), (std::vector<std::string>{"{"}));
  EXPECT_EQ(texts(outer->body.first), (std::vector<std::string>{"w2", "1", "{"}));
  EXPECT_EQ(outer->condition.first, nullptr);
  rezim_LA = kSource;
  record("ignored");
  EXPECT_EQ(inner->body.last, inner->body.first);
  // The inner condition replays on its own, wrapping after its last token.
  Obnov_zas();
  rezim_LA = kReplayCondition;
  Cti_ze_zas();
  Cti_ze_zas();
  EXPECT_STREQ(token_buffer->text.data(), "1");
  Sniz_zas();
  EXPECT_EQ(texts(outer->body.first), (std::vector<std::string>{"w2", "1", "{"}));
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

TEST_F(LoopStack, LookAheadLevelsReplaySpansOfTheReplayingRecording) {
  // Outer level R replays "a b c d e f"; a loop N started inside it reads its
  // first pass through R's look-ahead cursor, and so does a loop M inside N.
  Zvys_zas();
  LoopLevel* r = zasobnik;
  rezim_LA = kSourceBody;
  for (const char* t : {"a", "b", "c", "d", "e", "f"}) record(t);
  Obnov_zas();
  rezim_LA = kReplayBody;
  Cti_ze_zas();  // "a"
  Zvys_zas();
  LoopLevel* n = zasobnik;
  n->source = r;
  Obnov_pom_zas();
  rezim_LA = kLookAheadCondition;
  readThroughLookAhead();
  EXPECT_STREQ(token_buffer->text.data(), "b");
  rezim_LA = kLookAheadBody;
  readThroughLookAhead();  // "c"
  Zvys_zas();
  LoopLevel* m = zasobnik;
  m->source = r;
  rezim_LA = kLookAheadCondition;
  readThroughLookAhead();
  EXPECT_STREQ(token_buffer->text.data(), "d");
  EXPECT_EQ(span(m->condition), (std::vector<std::string>{"d"}));
  Sniz_zas();
  rezim_LA = kLookAheadBody;
  readThroughLookAhead();  // "e"
  EXPECT_EQ(span(n->condition), (std::vector<std::string>{"b"}));
  EXPECT_EQ(span(n->body), (std::vector<std::string>{"c", "d", "e"}));
  // N replays its own span and wraps at its end, not at the end of R's list.
  Obnov_zas();
  rezim_LA = kReplayBody;
  std::vector<std::string> replayed;
  for (int i = 0; i < 4; ++i) {
    Cti_ze_zas();
    replayed.emplace_back(token_buffer->text.data());
  }
  EXPECT_EQ(replayed, (std::vector<std::string>{"c", "d", "e", "c"}));
  Sniz_zas();
  EXPECT_EQ(zasobnik, r);
  EXPECT_EQ(texts(r->body.first), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
  EXPECT_EQ(r->lookAheadCursor->token.text[0], 'f');
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

// Every row of the automaton's transition table, checked one by one.
#include <gtest/gtest.h>

#include "lexer.h"

namespace {

using vexa::Move;
using vexa::State;
using namespace vexa;

struct Row {
  State from;
  int c;
  Move::Kind kind;
  State to;  // ignored unless kind is go
};

void expectRows(std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    const Move m = transition(row.from, row.c);
    SCOPED_TRACE(std::string(STAVY[row.from]) + " on " + std::to_string(row.c));
    EXPECT_EQ(m.kind, row.kind);
    if (row.kind == Move::kGo) {
      EXPECT_EQ(STAVY[m.next], STAVY[row.to]);
    }
  }
}

constexpr Move::Kind go = Move::kGo, done = Move::kDone, bad = Move::kMalformed;

TEST(Automaton, StartState) {
  expectRows({{qS, '\t', go, qS}, {qS, '\n', go, qS}, {qS, ' ', go, qS},
              {qS, 'a', go, qR1F}, {qS, 'Z', go, qR1F}, {qS, '0', go, qD1D3F},
              {qS, '9', go, qD1D3F}, {qS, '+', go, qD1F}, {qS, '-', go, qD1F},
              {qS, '&', go, qO1}, {qS, '|', go, qO2}, {qS, '<', go, qO3O4F},
              {qS, '>', go, qO3F}, {qS, ':', go, qO3}, {qS, '"', go, qS1},
              {qS, '[', go, qC4}, {qS, '$', go, qV1}});
  for (char c : std::string("!%()*/;=^{}")) expectRows({{qS, c, go, qF}});
}

TEST(Automaton, CharactersThatBeginNoTokenAreDroppedInTheStartState) {
  for (int c : std::initializer_list<int>{0, 8, 11, 13, 31, '#', '\'', ',', '.', '?', '@', '\\', ']', '_', '`', '~', 127,
                128, 255})
    expectRows({{qS, c, go, qS}});
}

TEST(Automaton, StringsAndEscapes) {
  expectRows({{qS1, '\\', go, qS2}, {qS1, '"', go, qF}, {qS1, 'x', go, qS1},
              {qS1, '\n', go, qS1}, {qS2, '"', go, qS1}, {qS2, '\\', go, qS1}});
}

TEST(Automaton, Numbers) {
  expectRows({{qD1F, '5', go, qD1D3F}, {qD1F, ' ', done, qS}, {qD1F, '.', done, qS},
              {qD1D3F, '5', go, qD1D3F}, {qD1D3F, '.', go, qD2}, {qD1D3F, 'a', done, qS},
              {qD2, '5', go, qD2F}, {qD2, 'x', bad, qS}, {qD2, '.', bad, qS},
              {qD2F, '5', go, qD2F}, {qD2F, '.', done, qS}});
}

TEST(Automaton, VariablesAndIdentifiers) {
  expectRows({{qV1, 'a', go, qV2}, {qV1, '_', go, qV2}, {qV1, '7', go, qV2},
              {qV1, '$', bad, qS}, {qV2, 'b', go, qV2}, {qV2, '_', go, qV2},
              {qV2, '$', go, qF}, {qV2, '-', bad, qS}, {qR1F, 'a', go, qR1F},
              {qR1F, '1', go, qR1F}, {qR1F, '_', go, qR1}, {qR1F, '$', done, qS},
              {qR1, '_', go, qR1}, {qR1, 'x', go, qR1F}, {qR1, '2', go, qR1F},
              {qR1, ' ', bad, qS}});
}

TEST(Automaton, Comments) {
  expectRows({{qC4, '>', go, qC1}, {qC4, '[', go, qC2}, {qC4, ' ', bad, qS},
              {qC1, '\n', go, qS}, {qC1, ']', go, qC1}, {qC2, ']', go, qC3},
              {qC2, '[', go, qC2}, {qC3, ']', go, qS}, {qC3, ' ', go, qC2},
              {qC3, 'x', go, qC2}, {qC3, '\n', go, qC2}, {qC3, '\t', go, qC2}});
  for (int c : std::initializer_list<int>{0, 8, 11, 31, '#', '\'', ',', '?', '@', '`', '~', 127, 200})
    expectRows({{qC3, c, go, qC3}});
}

TEST(Automaton, Operators) {
  expectRows({{qO1, '&', go, qF}, {qO1, ' ', bad, qS}, {qO2, '|', go, qF},
              {qO2, '&', bad, qS}, {qO3, '=', go, qF}, {qO3, ':', bad, qS},
              {qO3O4F, '=', go, qF}, {qO3O4F, '>', go, qF}, {qO3O4F, '<', done, qS},
              {qO3F, '=', go, qF}, {qO3F, '>', done, qS}, {qF, 'x', done, qS},
              {qF, '=', done, qS}});
}

}  // namespace

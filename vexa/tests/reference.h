// A plain vexa scanner for the tests, on the lister's own rules (transition,
// removes and classOf, lexer.h; the automaton tests check those row by row):
// one character at a time from a string, the text built by appending and
// removing, the class rules applied in their order. It checks what the
// lister builds on the rules: its table of steps, its reading in blocks and
// its listing. It makes the lister's choices where the rules leave one open:
// a character that begins no token is dropped like a blank; `""` is a string;
// only kept characters count towards the length, so the 65,536th kept
// character stops the scan. Besides the listing it gives the pieces that
// the scan reads, to check listSource.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "lexer.h"

namespace reference {

struct Piece {
  std::size_t start;
  std::size_t end;
  std::int32_t type;
  bool operator==(const Piece&) const = default;
};

inline void PrintTo(const Piece& p, std::ostream* out) {
  *out << "{" << p.start << ", " << p.end << ", " << p.type << "}";
}

struct Result {
  int status = 0;             // the lister's exit status
  std::string listing;        // what it prints
  std::vector<Piece> pieces;  // what listSource gives
};

inline Result scan(std::string_view source) {
  using namespace vexa;
  constexpr auto kLongest = static_cast<std::size_t>(kMaxTokenLength);
  Result r;
  std::size_t i = 0;
  int type = kNumber;
  enum Category { kBlankBytes, kCommentBytes, kTokenBytes };
  // The piece being read: its category and the class of its first byte.
  Category category = kBlankBytes;
  int firstClass = 0;
  const auto open = [&](std::size_t start, Category c, int cls) {
    if (!r.pieces.empty() && r.pieces.back().start == start) r.pieces.pop_back();
    if (!r.pieces.empty()) r.pieces.back().end = start;
    r.pieces.push_back({start, start, cls});
    category = c;
  };
  const auto finish = [&](std::size_t end, int cls) {
    if (r.pieces.empty()) return;
    r.pieces.back().end = end;
    r.pieces.back().type = cls;
    if (r.pieces.back().start == end) r.pieces.pop_back();
  };
  r.listing.reserve(source.size() + source.size() / 4 + 16);
  static std::string text;  // kept between scans: a long token's room is made once
  text.reserve(kLongest);
  for (;;) {  // one call of the lexer
    State state = qS;
    text.clear();
    int previous = -1;
    open(i, kBlankBytes, kBlankPiece);
    for (;;) {
      if (i == source.size()) {
        const int cls = category == kBlankBytes ? kBlankPiece
                        : category == kCommentBytes ? kComment
                        : text.empty() ? firstClass : type;
        finish(i, cls);
        r.listing += text.c_str();
        r.listing += "\n\n";
        return r;
      }
      const int c = static_cast<unsigned char>(source[i++]);
      const Move move = transition(state, c);
      if (state == qS && move.kind == Move::kGo && move.next != qS) {
        const Category begins = move.next == qC4 ? kCommentBytes : kTokenBytes;
        open(i - 1, begins, begins == kCommentBytes ? kComment : 0);
        firstClass = classOf(move.next, c).value_or(static_cast<TokenClass>(type));
      } else if (state != qS && move.kind == Move::kGo && move.next == qS) {  // a comment ends
        open(i, kBlankBytes, kBlankPiece);
      }
      if (move.kind == Move::kMalformed) {
        finish(i, kStoppedPiece);
        r.status = kStatusMalformed;
        return r;
      }
      if (move.kind == Move::kDone) {
        if (state == qD1F) type = kOperator;
        if (c == '=' && previous == ':') type = kAssignment;
        --i;
        finish(i, type);
        r.listing += std::string("[") + TYPY_TOKENU[type] + "] " + text.c_str() + "\n";
        break;
      }
      const State from = state;
      state = move.next;
      if (!removes(from, state, c)) {
        if (text.size() == kLongest) {
          finish(i, kStoppedPiece);
          r.listing += "moc dlouhy slovo\n";
          r.status = kStatusError;
          return r;
        }
        text.push_back(static_cast<char>(c));
      }
      if (from == qS && state == qS1) type = kString;
      if (text.size() == 1) {
        if (const auto cls = classOf(state, c)) type = *cls;
      }
      if (c == '=' && previous == ':') type = kAssignment;
      previous = c;
    }
  }
}

}  // namespace reference

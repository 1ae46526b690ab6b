// A plain vexa scanner for the tests: one character at a time from a string,
// its own transition table written from the token rules, the text built by
// appending and removing. It makes the lister's choices where the rules leave
// one open: a character that begins no token is dropped like a blank; `%` is
// an operator and `""` a string; an escaped quote at the start of a string is
// kept; only kept characters count towards the length, so the 65,536th kept
// character stops the scan. Besides the listing it gives the pieces that the
// scan reads, to check listSource.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

enum State { S, S1, S2, D2, V1, V2, R1, C1, C2, C3, C4, O1, O2, O3, F, R1F, D1D3F, D1F, O3O4F, O3F, D2F };
enum Kind { kGo, kDone, kFail };

struct Transition {
  Kind kind;   // go on, end the token before the character, or stop the scan
  State next;  // the state after the character (kGo only)
};

inline constexpr std::size_t kLongest = 65535;
inline constexpr int kNumber = 0, kString = 1, kVariable = 2, kIdentifier = 3, kComment = 4,
                     kOperator = 5, kTerminator = 6, kBlock = 7, kAssignment = 8;
inline constexpr int kBlank = -1, kStopped = -2;
inline const char* const kNames[] = {"cislo",    "retezec",  "promenna", "identifikator", "komentar",
                                     "operator", "ukonznak", "blok",     "prirad"};

inline bool letter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool digit(int c) { return c >= '0' && c <= '9'; }
inline bool nameChar(int c) { return letter(c) || digit(c) || c == '_'; }
inline bool oneOf(int c, const char* set) { return c != 0 && std::strchr(set, c) != nullptr; }
inline bool neutral(int c) { return c < 9 || c > 125 || (c >= 11 && c <= 31) || oneOf(c, "#',?@`"); }
inline bool commentState(State s) { return s == C1 || s == C2 || s == C3 || s == C4; }

inline Transition step(State s, int c) {
  const auto go = [](State next) { return Transition{kGo, next}; };
  const Transition done{kDone, s}, fail{kFail, s};
  switch (s) {
    case S:
      if (c == '\t' || c == '\n' || c == ' ') return go(S);
      if (letter(c)) return go(R1F);
      if (digit(c)) return go(D1D3F);
      if (c == '+' || c == '-') return go(D1F);
      if (oneOf(c, "!%()*/;=^{}")) return go(F);
      if (c == '&') return go(O1);
      if (c == '|') return go(O2);
      if (c == '<') return go(O3O4F);
      if (c == '>') return go(O3F);
      if (c == ':') return go(O3);
      if (c == '"') return go(S1);
      if (c == '[') return go(C4);
      if (c == '$') return go(V1);
      return go(S);
    case S1: return c == '\\' ? go(S2) : c == '"' ? go(F) : go(S1);
    case S2: return go(S1);
    case D2: return digit(c) ? go(D2F) : fail;
    case V1: return nameChar(c) ? go(V2) : fail;
    case V2: return nameChar(c) ? go(V2) : c == '$' ? go(F) : fail;
    case R1: return letter(c) || digit(c) ? go(R1F) : c == '_' ? go(R1) : fail;
    case C1: return c == '\n' ? go(S) : go(C1);
    case C2: return c == ']' ? go(C3) : go(C2);
    case C3: return c == ']' ? go(S) : neutral(c) ? go(C3) : go(C2);
    case C4: return c == '>' ? go(C1) : c == '[' ? go(C2) : fail;
    case O1: return c == '&' ? go(F) : fail;
    case O2: return c == '|' ? go(F) : fail;
    case O3: return c == '=' ? go(F) : fail;
    case F: return done;
    case R1F: return letter(c) || digit(c) ? go(R1F) : c == '_' ? go(R1) : done;
    case D1D3F: return digit(c) ? go(D1D3F) : c == '.' ? go(D2) : done;
    case D1F: return digit(c) ? go(D1D3F) : done;
    case O3O4F: return c == '=' || c == '>' ? go(F) : done;
    case O3F: return c == '=' ? go(F) : done;
    case D2F: return digit(c) ? go(D2F) : done;
  }
  return fail;
}

// Whether the character that took the scan from `from` to `to` is dropped.
inline bool removed(State from, State to, int c) {
  switch (to) {
    case S: case S2: case C1: case C2: case C3: case C4: return true;
    case S1: return c == '"' && from == S;
    case V1: return c == '$';
    case F: return c == '"' || c == '$';
    default: return false;
  }
}

// The class set when the text holds one character, in state `s` after `c`.
inline int classRule(State s, int c, int current) {
  switch (s) {
    case S1: case S2: return kString;
    case D2: case D1D3F: case D1F: case D2F: return kNumber;
    case V1: case V2: return kVariable;
    case R1: case R1F: return kIdentifier;
    case O1: case O2: case O3: case O3O4F: case O3F: return kOperator;
    case F:
      if (c == ';') return kTerminator;
      if (c == '{' || c == '}') return kBlock;
      if (oneOf(c, "!%()*/=^")) return kOperator;
      return current;
    default: return current;
  }
}

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
    State state = S;
    text.clear();
    int previous = -1;
    open(i, kBlankBytes, kBlank);
    for (;;) {
      if (i == source.size()) {
        const int cls = category == kBlankBytes ? kBlank
                        : category == kCommentBytes ? kComment
                        : text.empty() ? firstClass : type;
        finish(i, cls);
        r.listing += text.c_str();
        r.listing += "\n\n";
        return r;
      }
      const int c = static_cast<unsigned char>(source[i++]);
      const Transition move = step(state, c);
      if (state == S && move.kind == kGo && move.next != S) {
        const Category begins = move.next == C4 ? kCommentBytes : kTokenBytes;
        open(i - 1, begins, begins == kCommentBytes ? kComment : 0);
        firstClass = classRule(move.next, c, type);
      } else if (commentState(state) && move.kind == kGo && move.next == S) {
        open(i, kBlankBytes, kBlank);
      }
      if (move.kind == kFail) {
        finish(i, kStopped);
        r.status = 2;
        return r;
      }
      if (move.kind == kDone) {
        if (state == D1F) type = kOperator;
        if (c == '=' && previous == ':') type = kAssignment;
        --i;
        finish(i, type);
        r.listing += std::string("[") + kNames[type] + "] " + text.c_str() + "\n";
        break;
      }
      const State from = state;
      state = move.next;
      if (!removed(from, state, c)) {
        if (text.size() == kLongest) {
          finish(i, kStopped);
          r.listing += "moc dlouhy slovo\n";
          r.status = 1;
          return r;
        }
        text.push_back(static_cast<char>(c));
      }
      if (from == S && state == S1) type = kString;
      if (text.size() == 1) type = classRule(state, c, type);
      if (c == '=' && previous == ':') type = kAssignment;
      previous = c;
    }
  }
}

}  // namespace reference

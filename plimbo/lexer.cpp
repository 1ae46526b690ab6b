// The scanner: a hand-coded automaton over the source stream, and the mode
// switch that replays recorded loop tokens instead.
//
// Compiled a second time with PLIMBO_LISTING, this file is the source
// listing of listing.h instead: the same scanner, whose LISTING_ hooks then
// record where every piece of the text starts and what it is. In the
// interpreter the hooks are empty.
#include <algorithm>
#include <cstring>

#include "procedures.h"
#ifdef PLIMBO_LISTING
#include <new>
#include <vector>

#include "listing.h"
#endif

namespace plimbo {

namespace {

#ifdef PLIMBO_LISTING
std::vector<ScanPiece>* pieces = nullptr;  // the listing being made
// A piece starts at offset; its class follows.
#define LISTING_START(offset) pieces->push_back({offset, offset, kEndOfInput})
#define LISTING_CLASS(pieceType) pieces->back().type = (pieceType)
#else
#define LISTING_START(offset)
#define LISTING_CLASS(pieceType)
#endif

Token scanned;  // the token scanned last from the source

enum class State {
  kStart,
  kNumber,
  kFraction,
  kRelation,
  kSlash,
  kLineComment,
  kBlockComment,
  kBlockCommentStar,
  kName,
  kString,
  kStringEscape,
  kKeyword,
  kComplete,
};

constexpr int kEnd = -1;  // end of input as a character value

// Character classes, as bits of kClasses.
constexpr std::uint8_t kDigitBit = 1;
constexpr std::uint8_t kNameBit = 2;     // digits, lower-case letters and '_'
constexpr std::uint8_t kCapitalBit = 4;
constexpr std::uint8_t kSpaceBit = 8;    // blank, and tab to carriage return

// The classes of every character value, end of input (-1) included: the
// classes of c are kClasses[c + 1].
constexpr auto kClasses = [] {
  std::array<std::uint8_t, 257> classes{};
  for (int c = 0; c < 256; ++c) {
    std::uint8_t bits = 0;
    if (c >= '0' && c <= '9') bits |= kDigitBit | kNameBit;
    if ((c >= 'a' && c <= 'z') || c == '_') bits |= kNameBit;
    if (c >= 'A' && c <= 'Z') bits |= kCapitalBit;
    if (c == ' ' || (c >= '\t' && c <= '\r')) bits |= kSpaceBit;
    classes[static_cast<std::size_t>(c) + 1] = bits;
  }
  return classes;
}();

inline bool is(int c, std::uint8_t bits) { return (kClasses[static_cast<std::size_t>(c + 1)] & bits) != 0; }
// A byte of the source block, never end of input.
inline bool is(unsigned char c, std::uint8_t bits) { return (kClasses[c + 1u] & bits) != 0; }

// The source is read in blocks (readSource, source.cpp); the scanner takes
// its characters from the block.

// Bytes after the block that a fixed-size copy of a short run may read.
constexpr std::size_t kRunCopy = 16;

struct Source {
  std::size_t offset = 0;   // bytes of the stream before the block
  const unsigned char* at;  // next character of the block
  const unsigned char* end;  // end of the characters read into the block
  // The characters read, then a NUL byte that belongs to no class: a run of
  // a class stops there without testing for the end.
  unsigned char block[kSourceBlockSize + kRunCopy];
};

Source source = {0, source.block, source.block, {}};

// Reads the next block of f; returns its first character, consumed, or end
// of input (also after a failed read, which stops the run).
[[gnu::noinline]] int readBlock() {
  source.offset += static_cast<std::size_t>(source.end - source.block);
  const std::size_t count = readSource(source.block, kSourceBlockSize);
  source.block[count] = '\0';
  source.at = source.block;
  source.end = source.block + count;
  if (count == 0) return kEnd;
  return *source.at++;
}

// The scanner's position in the block, kept in registers while a token is
// scanned and stored back when it is finished.
struct Cursor {
  const unsigned char* at = source.at;
  const unsigned char* end = source.end;

  // The next character of the source, consumed; a line break is counted.
  int get() {
    int c;
    if (at != end) [[likely]] {
      c = *at++;
    } else {
      c = readBlock();
      at = source.at;
      end = source.end;
    }
    if (c == '\n') ++lineNo;
    return c;
  }
  void store() const { source.at = at; }
  // Where in the stream the character c, just taken, stands.
  std::size_t offsetOf(int c) const {
    return source.offset + static_cast<std::size_t>(at - source.block) - (c != kEnd ? 1 : 0);
  }
};

// The text of the token being scanned. A token keeps its first 255
// characters; the rest is dropped. length never passes kMaxTokenLength, so
// the terminator always has its byte.
struct Collected {
  char* text = scanned.text.data();
  std::size_t length = 0;

  void append(int c) {
    if (length < kMaxTokenLength) text[length++] = static_cast<char>(c);
  }
  // Appends count characters of the block from from.
  void append(const unsigned char* from, std::size_t count) {
    // A short run is copied as kRunCopy bytes (a fixed size copies fastest)
    // when all of them fall within the first 255 characters.
    if (count <= kRunCopy && length + kRunCopy <= kMaxTokenLength) {
      std::memcpy(text + length, from, kRunCopy);
      length += count;
      return;
    }
    count = std::min(count, kMaxTokenLength - length);
    std::memcpy(text + length, from, count);
    length += count;
  }
};

// Appends the characters of the class bits that follow, in one run; returns
// the first character after them, consumed. The class holds no line break.
inline int appendRun(Cursor& in, Collected& token, std::uint8_t bits) {
  for (;;) {
    const unsigned char* p = in.at;
    while (is(*p, bits)) ++p;  // the byte after the block stops it
    token.append(in.at, static_cast<std::size_t>(p - in.at));
    in.at = p;
    const bool blockEnds = p == in.end;
    const int c = in.get();
    if (!blockEnds || !is(c, bits)) return c;
    token.append(c);  // the first character of a new block
  }
}

// The word of a token that is one character long and ends in the complete state.
constexpr auto kSingleWords = [] {
  std::array<Word, 256> words{};
  words['{'] = kOpenBrace;
  words['}'] = kCloseBrace;
  words['('] = kOpenParen;
  words[')'] = kCloseParen;
  words[';'] = kSemicolonText;
  words['|'] = kOr;
  words['&'] = kAnd;
  words['='] = kEqual;
  words['*'] = kTimes;
  words['%'] = kRemainder;
  words['!'] = kNot;
  words['<'] = kLess;
  words['>'] = kGreater;
  words['+'] = kPlus;
  words['-'] = kMinus;
  words['/'] = kDivide;
  return words;
}();

// The word of the one-character token c (a character, not end of input).
inline Word singleWord(int c) { return kSingleWords[static_cast<unsigned char>(c)]; }

// The word a token text of length characters is.
Word wordOf(const char* text, std::size_t length) {
  const auto is = [&](const char* word, Word value) {
    return text[0] == word[0] && std::memcmp(text, word, length) == 0 ? value : kNoWord;
  };
  switch (length) {
    case 1: return kSingleWords[static_cast<unsigned char>(text[0])];
    case 2:
      if (text[1] != '=') return kNoWord;
      return text[0] == '!' ? kNotEqual : text[0] == '<' ? kLessEqual : text[0] == '>' ? kGreaterEqual : kNoWord;
    case 3: return is("CTE", kCte);
    case 4: return text[0] == 'P' ? is("PROM", kProm) : text[0] == 'E' ? is("ESLI", kEsli) : is("ILSE", kIlse);
    case 5: return text[0] == 'J' ? is("JINEM", kJinem) : text[0] == 'D' ? is("DOKAD", kDokad) : is("NASAJ", kNasaj);
    case 6: return text[0] == 'F' ? is("FINISH", kFinish) : is("VRACEE", kVracee);
    case 7: return is("ZDECHNI", kZdechni);
    default: return kNoWord;
  }
}

// Fills in the number of a number or a string token: MyIsdigit and atof of
// its value text (the text cut to 254 characters).
void numberOfToken(Token& token) {
  token.numeric = MyIsdigit(token.text.data()) != 0;
  token.number = 0;
  if (!token.numeric) return;
  if (token.length <= kMaxValueLength) {
    token.number = toNumber(token.text.data());
  } else {
    Value value;
    setText(value, token.text.data(), token.length);
    token.number = toNumber(value.text.data());
  }
}

// Digits that a double holds exactly whatever they are.
constexpr std::size_t kExactDigits = 15;

// Finishes a token whose text says more: a NUL byte inside a string ends its
// text, as everywhere else; keywords and strings are looked up as words;
// numbers and strings get their number.
[[gnu::noinline]] void finishText(Token& t, bool nul) {
  if (nul) t.length = static_cast<std::uint32_t>(std::strlen(t.text.data()));
  if (t.type == kKeyword || t.type == kString) t.word = wordOf(t.text.data(), t.length);
  if (t.type == kNumber || t.type == kString) numberOfToken(t);
}

// Finishes a number of digits alone.
[[gnu::noinline]] void finishDigits(Token& t) {
  if (t.length > kExactDigits) return numberOfToken(t);
  std::uint64_t whole = 0;
  for (std::size_t i = 0; i < t.length; ++i) whole = whole * 10 + static_cast<unsigned char>(t.text[i] - '0');
  t.numeric = true;
  t.number = static_cast<double>(whole);
}

// Delivers the token collected in token, of class type and the given word,
// with c pushed back (kNoPushback: none). The fields that only some classes
// have are filled in by the states of those classes.
[[gnu::always_inline]] inline void deliver(const Cursor& in, const Collected& token, int c, std::int32_t type,
                                           Word word) {
  buffer = c;
  in.store();
  LISTING_CLASS(type);
  Token& t = scanned;
  t.text[token.length] = '\0';
  t.length = static_cast<std::uint32_t>(token.length);
  t.type = type;
  t.word = word;
  tok_n = &t;
}

// Scans the next token that is neither white space nor a comment into
// scanned. Each state takes the characters it stays on in a loop of its own;
// c is always the character the current state looks at next. A token ends
// by pushing that character back into buffer.
void scanToken() {
  Cursor in;
  Collected token;
  // Every way out sets buffer again.
  int c = buffer;
  if (c == kNoPushback) c = in.get();
  std::int32_t type = kEndOfInput;
  Word word = kNoWord;  // the word the text is, where the state tells
  bool nul = false;     // a NUL byte was appended (and ends the text)
  State state = State::kStart;
  for (;;) {
    switch (state) {
      case State::kStart:
        LISTING_START(in.offsetOf(c));
        token.length = 0;
        switch (c) {
          case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
            // White space: tokens of their own, never delivered.
            LISTING_CLASS(kWhiteSpace);
            c = in.get();
            continue;
          case '+': case '-':
            // Required: a sign followed by digits is part of the number, so
            // "$a -1" is two factors (expressions/errors/no_unary_minus).
            token.append(c);
            type = kOperator;
            word = c == '+' ? kPlus : kMinus;
            state = State::kNumber;
            break;
          case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9':
            token.append(c);
            type = kNumber;
            state = State::kNumber;
            c = appendRun(in, token, kDigitBit);
            if (c != ',') {
              deliver(in, token, c, kNumber, kNoWord);
              return finishDigits(scanned);
            }
            continue;
          case ',':
            token.append(c);
            type = kNumber;
            state = State::kFraction;
            break;
          case '<': case '>': case '!':
            token.append(c);
            type = kOperator;
            word = singleWord(c);
            state = State::kRelation;
            break;
          case '"':
            type = kString;
            state = State::kString;
            break;
          case '$':
            token.append(c);
            type = kVariable;
            state = State::kName;
            c = appendRun(in, token, kNameBit);
            continue;
          case '{': case '}':
            // Complete at once: the token ends at the next character.
            token.append(c);
            return deliver(in, token, in.get(), kBrace, singleWord(c));
          case '#':
            token.append(c);
            type = kCallName;
            state = State::kName;
            c = appendRun(in, token, kNameBit);
            continue;
          case '@':
            token.append(c);
            type = kDeclarationName;
            state = State::kName;
            c = appendRun(in, token, kNameBit);
            continue;
          case '/':
            token.append(c);
            type = kOperator;
            word = kDivide;
            state = State::kSlash;
            break;
          case ';':
            // Complete at once, as the braces.
            token.append(c);
            return deliver(in, token, in.get(), kSemicolon, kSemicolonText);
          case '=': case '(': case '*': case ')': case '%': case '&': case '|':
            // Complete at once, as the braces.
            token.append(c);
            return deliver(in, token, in.get(), kOperator, singleWord(c));
          case kEnd:
            token.append(kEndOfInputText);
            type = kEndOfInput;
            state = State::kComplete;
            break;
          default:
            if (is(c, kCapitalBit)) {
              token.append(c);
              type = kKeyword;
              state = State::kKeyword;
              c = appendRun(in, token, kCapitalBit);
              continue;
            }
            // A character that can begin no token is delivered alone, consumed.
            token.append(c);
            LAError = 1;
            deliver(in, token, kNoPushback, kBadCharacter, kNoWord);
            if (c == 0) finishText(scanned, true);
            return;
        }
        c = in.get();
        break;
      case State::kNumber:
        if (is(c, kDigitBit)) {
          type = kNumber;
          word = kNoWord;
          token.append(c);
          c = appendRun(in, token, kDigitBit);
        }
        if (c == ',') {
          token.append(c);
          type = kNumber;
          word = kNoWord;
          state = State::kFraction;
          c = in.get();
          break;
        }
        deliver(in, token, c, type, word);
        if (type == kNumber) finishText(scanned, false);
        return;
      case State::kFraction:
        if (is(c, kDigitBit)) {
          token.append(c);
          c = appendRun(in, token, kDigitBit);
        }
        deliver(in, token, c, kNumber, kNoWord);
        return finishText(scanned, false);
      case State::kRelation:
        if (c == ':') {
          token.append(c);
          type = kAssignment;
          word = kNoWord;
          state = State::kComplete;
          c = in.get();
          break;
        }
        if (c == '=') {
          token.append(c);
          type = kOperator;
          word = word == kNot ? kNotEqual : word == kLess ? kLessEqual : kGreaterEqual;
          state = State::kComplete;
          c = in.get();
          break;
        }
        return deliver(in, token, c, type, word);
      case State::kSlash:
        if (c == '/' || c == '*') {
          // Comment text is never delivered, so it is not collected.
          type = kComment;
          LISTING_CLASS(kComment);
          state = c == '/' ? State::kLineComment : State::kBlockComment;
          c = in.get();
          break;
        }
        return deliver(in, token, c, type, word);
      case State::kLineComment:
        while (c != '\n' && c != kEnd) c = in.get();
        // End of input ends the comment there, and is scanned again.
        if (c == kEnd) {
          state = State::kStart;
          break;
        }
        state = State::kComplete;
        c = in.get();
        break;
      case State::kBlockComment:
        while (c != '*' && c != kEnd) c = in.get();
        if (c == kEnd) {
          state = State::kStart;
          break;
        }
        state = State::kBlockCommentStar;
        c = in.get();
        break;
      case State::kBlockCommentStar:
        if (c == kEnd) {
          state = State::kStart;
          break;
        }
        state = c == '/' ? State::kComplete : State::kBlockComment;
        c = in.get();
        break;
      case State::kName:
        // The characters of the name were taken with its first one.
        deliver(in, token, c, type, kNoWord);
        scanned.symbol = nullptr;  // looked up on first use
        return;
      case State::kString:
        if (c == '"') {
          state = State::kComplete;
          c = in.get();
          break;
        }
        // End of input ends the string there, and is scanned again.
        if (c == kEnd) {
          deliver(in, token, c, kString, kNoWord);
          return finishText(scanned, nul);
        }
        token.append(c);
        nul |= c == 0;
        if (c == '\\') state = State::kStringEscape;
        c = in.get();
        break;
      case State::kStringEscape:
        if (c == kEnd) {
          deliver(in, token, c, kString, kNoWord);
          return finishText(scanned, nul);
        }
        token.append(c);
        nul |= c == 0;
        state = State::kString;
        c = in.get();
        break;
      case State::kKeyword:
        // The capitals were taken with the first one.
        deliver(in, token, c, kKeyword, kNoWord);
        return finishText(scanned, false);
      case State::kComplete:
        if (type == kComment) {
          // A finished comment is discarded; the character after it starts
          // the next token.
          state = State::kStart;
          break;
        }
        deliver(in, token, c, type, word);
        if (type == kString) finishText(scanned, nul);
        return;
    }
  }
}

// Forgets the stream and what was read of it.
void resetBlock() {
  forgetSource();
  source.offset = 0;
  source.block[0] = '\0';
  source.at = source.end = source.block;
}

}  // namespace

#ifdef PLIMBO_LISTING

std::vector<ScanPiece> listSource(const char* text, std::size_t size) {
  std::vector<ScanPiece> listing;
  reset();
  resetBlock();
  // Read only, so the text is not written to; no text, no stream.
  std::FILE* stream = size > 0 ? fmemopen(const_cast<char*>(text), size, "r") : nullptr;
  if (size > 0 && stream == nullptr) throw std::bad_alloc();
  // The interpreter's state is left as at start-up, however the scan ends.
  struct Finish {
    std::FILE* stream;
    ~Finish() {
      pieces = nullptr;
      if (stream != nullptr) std::fclose(stream);
      reset();
      resetBlock();
    }
  } finish{stream};
  f = stream;
  pieces = &listing;
  do {
    scanToken();
  } while (tok_n->type != kEndOfInput);
  // Each piece ends where the next starts; end of input ends at the end.
  for (std::size_t i = 0; i + 1 < listing.size(); ++i) listing[i].end = listing[i + 1].start;
  return listing;
}

#else

bool isWhiteSpace(int c) { return is(c, kSpaceBit); }

void resetSource() { resetBlock(); }

void lex() {
  // The two modes of nearly every token first, each with one test.
  const std::int32_t mode = LAMode;
  if (mode == kReplayCondition || mode == kReplayBody) return WH_PD_read();
  if (mode == kReadSource) return scanToken();
  if (mode == kRecordCondition || mode == kRecordBody) {
    scanToken();
    return WH_PD_insert();
  }
  WH_PD_readAhead();
}

bool isTrue(const Value& value) { return value.numeric ? value.number != 0.0 : value.length != 0; }

#endif

}  // namespace plimbo

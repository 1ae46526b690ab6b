// The scanner: one switch on the first character of a token and one
// function per kind of token, over the source stream; and the mode switch
// that replays recorded loop tokens instead. The scanner calls the hook
// pieceRead (hooks.h) at the end of every piece of the source it reads, and
// blockRead for every block; lex calls tokenRead for every token.
#include <algorithm>
#include <cstring>

#include "hooks.h"
#include "procedures.h"

namespace plimbo {

namespace {

Token scanned;  // the token scanned last from the source

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
inline bool isDigit(int c) { return is(c, kDigitBit); }
inline bool isCapital(int c) { return is(c, kCapitalBit); }

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
  blockRead(count);
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
  // The bytes read from the source and not yet scanned.
  std::size_t unread() const { return static_cast<std::size_t>(end - at); }
  // The same with c, the character just taken (none at end of input).
  std::size_t unreadFrom(int c) const { return unread() + (c != kEnd ? 1 : 0); }
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

// The word of every token of one character.
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
// have are filled in by the functions of those classes.
[[gnu::always_inline]] inline void deliver(const Cursor& in, const Collected& token, int c, std::int32_t type,
                                           Word word) {
  buffer = c;
  in.store();
  pieceRead(type, c == kNoPushback ? in.unread() : in.unreadFrom(c));
  Token& t = scanned;
  t.text[token.length] = '\0';
  t.length = static_cast<std::uint32_t>(token.length);
  t.type = type;
  t.word = word;
  tok_n = &t;
}

// The kinds of token, one function each, called with the token's first
// character c taken (and not yet appended). Each delivers its token with
// the character after it pushed back, and with the fields of its class.

// A number from its decimal comma c: the digits after it.
[[gnu::always_inline]] inline void scanFraction(Cursor& in, Collected& token, int c) {
  token.append(c);
  c = in.get();
  if (isDigit(c)) {
    token.append(c);
    c = appendRun(in, token, kDigitBit);
  }
  deliver(in, token, c, kNumber, kNoWord);
  finishText(scanned, false);
}

// A number from its first digit c: digits, then a decimal comma and more.
[[gnu::always_inline]] inline void scanNumber(Cursor& in, Collected& token, int c) {
  token.append(c);
  c = appendRun(in, token, kDigitBit);
  if (c == ',') return scanFraction(in, token, c);
  deliver(in, token, c, kNumber, kNoWord);
  finishDigits(scanned);
}

// A sign: the number it begins when a digit or a decimal comma follows, or
// else the operator. Required: "$a -1" is two factors
// (expressions/errors/no_unary_minus).
[[gnu::always_inline]] inline void scanSign(Cursor& in, Collected& token, int sign) {
  token.append(sign);
  int c = in.get();
  if (isDigit(c)) {
    token.append(c);
    c = appendRun(in, token, kDigitBit);
    if (c == ',') return scanFraction(in, token, c);
    deliver(in, token, c, kNumber, kNoWord);
    return finishText(scanned, false);
  }
  if (c == ',') return scanFraction(in, token, c);
  deliver(in, token, c, kOperator, sign == '+' ? kPlus : kMinus);
}

// "<", ">" or "!" (first); an assignment with ":" after it, a comparison of
// two characters with "=".
[[gnu::always_inline]] inline void scanRelation(Cursor& in, Collected& token, int first) {
  token.append(first);
  const int c = in.get();
  if (c == ':') {
    token.append(c);
    return deliver(in, token, in.get(), kAssignment, kNoWord);
  }
  if (c == '=') {
    token.append(c);
    const Word word = first == '!' ? kNotEqual : first == '<' ? kLessEqual : kGreaterEqual;
    return deliver(in, token, in.get(), kOperator, word);
  }
  deliver(in, token, c, kOperator, singleWord(first));
}

// A string after its opening quote, up to the closing one (neither is
// kept); a backslash keeps the character after it, a quote too. End of
// input ends the string there, and is scanned again.
[[gnu::always_inline]] inline void scanString(Cursor& in, Collected& token) {
  bool nul = false;  // a NUL byte was kept (and ends the text)
  int c = in.get();
  while (c != '"' && c != kEnd) {
    const bool escape = c == '\\';
    token.append(c);
    nul |= c == 0;
    c = in.get();
    if (escape && c != kEnd) {
      token.append(c);
      nul |= c == 0;
      c = in.get();
    }
  }
  deliver(in, token, c == '"' ? in.get() : c, kString, kNoWord);
  finishText(scanned, nul);
}

// A variable, call or declaration name (type): its sigil and the digits,
// lower-case letters and underscores after it.
[[gnu::always_inline]] inline void scanName(Cursor& in, Collected& token, int sigil, std::int32_t type) {
  token.append(sigil);
  const int c = appendRun(in, token, kNameBit);
  deliver(in, token, c, type, kNoWord);
  scanned.symbol = nullptr;  // looked up on first use
}

// A keyword: a run of capital letters.
[[gnu::always_inline]] inline void scanKeyword(Cursor& in, Collected& token, int c) {
  token.append(c);
  c = appendRun(in, token, kCapitalBit);
  deliver(in, token, c, kKeyword, kNoWord);
  finishText(scanned, false);
}

// A token of the one character c, of class type.
[[gnu::always_inline]] inline void scanSingle(Cursor& in, Collected& token, int c, std::int32_t type) {
  token.append(c);
  deliver(in, token, in.get(), type, singleWord(c));
}

// The end of input: the one byte 0xFF. (A token that ends at once still
// reads the character after it, the end of input again.)
[[gnu::always_inline]] inline void scanEnd(Cursor& in, Collected& token) {
  token.append(kEndOfInputText);
  deliver(in, token, in.get(), kEndOfInput, kNoWord);
}

// A character that can begin no token: delivered alone and consumed, with
// LAError set, so that a later scan does not meet it again.
[[gnu::always_inline]] inline void scanBadCharacter(Cursor& in, Collected& token, int c) {
  token.append(c);
  LAError = 1;
  deliver(in, token, kNoPushback, kBadCharacter, kNoWord);
  if (c == 0) finishText(scanned, true);
}

// A comment after its "/", whose second character is second: "//" up to
// and including the line break, "/*" up to "*/". The character after a star
// is taken even when it is a star, so the "/" of "**/" does not end the
// comment. Returns the character after the comment, taken; end of input
// ends the comment there.
inline int skipComment(Cursor& in, int second) {
  int c = in.get();
  if (second == '/') {
    while (c != '\n' && c != kEnd) c = in.get();
    return c == kEnd ? c : in.get();
  }
  for (;;) {
    while (c != '*' && c != kEnd) c = in.get();
    if (c == kEnd) return c;
    c = in.get();  // after the star
    if (c == '/') return in.get();
    if (c == kEnd) return c;
    c = in.get();  // anything else, a star too, is comment text
  }
}

// Scans the next token that is neither white space nor a comment into
// scanned, by its first character: white space and comments are skipped
// here, and every kind of token has its function above.
void scanToken() {
  Cursor in;
  Collected token;
  // Every way out sets buffer again.
  int c = buffer;
  if (c == kNoPushback) c = in.get();
  for (;;) {
    switch (c) {
      case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
        // White space: a piece of its own for every character.
        c = in.get();
        pieceRead(kWhiteSpace, in.unreadFrom(c));
        continue;
      case '/':
        // A comment, or the division operator.
        c = in.get();
        if (c == '/' || c == '*') {
          c = skipComment(in, c);
          pieceRead(kComment, in.unreadFrom(c));
          continue;
        }
        token.append('/');
        return deliver(in, token, c, kOperator, kDivide);
      case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9':
        return scanNumber(in, token, c);
      case ',': return scanFraction(in, token, c);
      case '+': case '-': return scanSign(in, token, c);
      case '<': case '>': case '!': return scanRelation(in, token, c);
      case '"': return scanString(in, token);
      case '$': return scanName(in, token, c, kVariable);
      case '#': return scanName(in, token, c, kCallName);
      case '@': return scanName(in, token, c, kDeclarationName);
      case '{': case '}': return scanSingle(in, token, c, kBrace);
      case ';': return scanSingle(in, token, c, kSemicolon);
      case '=': case '(': case '*': case ')': case '%': case '&': case '|': return scanSingle(in, token, c, kOperator);
      case kEnd: return scanEnd(in, token);
      default:
        if (isCapital(c)) return scanKeyword(in, token, c);
        return scanBadCharacter(in, token, c);
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

bool isWhiteSpace(int c) { return is(c, kSpaceBit); }

void resetSource() { resetBlock(); }

void lex() {
  // The two modes of nearly every token first, each with one test.
  const std::int32_t mode = LAMode;
  if (mode == kReplayCondition || mode == kReplayBody) {
    WH_PD_read();
  } else if (mode == kReadSource) {
    scanToken();
  } else if (mode == kRecordCondition || mode == kRecordBody) {
    scanToken();
    WH_PD_insert();
  } else {
    WH_PD_readAhead();
  }
  tokenRead();
}

bool isTrue(const Value& value) { return value.numeric ? value.number != 0.0 : value.length != 0; }

}  // namespace plimbo

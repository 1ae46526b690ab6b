// The lexer: a character-level state machine over the source stream in
// modes 0 to 2, and token replay from the loop token stack in modes 3 to 6.
//
// The scanner's states are written as code: scanToken is the start state, a
// switch on the first character of a token (white space, comments and
// dropped characters are skipped there, as scans whose token is discarded),
// and every kind of token has a function for its states:
//   scanNumber   the integer digits, after the comma, the fraction digits,
//                after the "e", after the exponent's sign, the exponent digits
//   scanWord     a word, a word after an underscore
//   scanName     after the sigil (then scanWord)
//   scanString   the string, after a slash in it
//   skipComment  after the ":", the line comment, the block comment, the
//                block comment after a "!"
// The states after a "+", a "-" and a "!", "<" or ">", and the complete
// token that only waits for its look-ahead, are written in scanToken. The
// scanner calls the hook pieceRead (hooks.h) at the end of every piece of
// the source it reads, and blockRead for every block; Lex calls tokenRead
// for every token.
#include <cstdint>
#include <cstring>

#include "hooks.h"
#include "procedures.h"

namespace m4t4 {
namespace {

constexpr int kEof = -1;
constexpr std::size_t kTextLimit = kTokenTextSize - 1;  // a token keeps its first 255 characters

// The source is read in blocks of our own (readSource, source.cpp); a
// character counts as read (a line feed is counted) when it is taken from
// the block.
unsigned char block[kSourceBlockSize];
const unsigned char* blockNext = block;  // next unread byte
const unsigned char* blockEnd = block;   // end of the bytes read

// Reads the next block of the source; false at its end (or once a read has
// failed). The block pointers stay at the end of the last block until a read
// brings bytes.
[[gnu::noinline]] bool refill() {
  std::size_t read = readSource(block, kSourceBlockSize);
  blockRead(read);
  if (read == 0) return false;
  blockNext = block;
  blockEnd = block + read;
  return true;
}

// The piece read since the last one, of type `type`, ends with the last
// character read, or before it when `nextRead`: then that character begins
// the next piece (the hook pieceRead). A token's or a comment's look-ahead
// that is a NUL is dropped with it (buffer 0 holds nothing): the scan that
// meets it next makes no piece of it.
inline void endPiece(int32_t type, bool nextRead) {
  pieceRead(type, static_cast<std::size_t>(blockEnd - blockNext) + (nextRead ? 1 : 0));
}

// The next character of the source: 0 to 255, or -1 at its end.
inline int readByte() {
  if (blockNext == blockEnd && !refill()) return kEof;
  int c = *blockNext++;
  // Required: counted when read, look-ahead included, so a message about a
  // token can name the next line; lexer/errors/line_counted_from_look_ahead.
  if (c == '\n') ++cislo_radku;
  return c;
}

bool isLetter(int c) { return c >= 'a' && c <= 'z'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }

// Lower-case letters and digits: the characters that continue a word or name.
struct WordCharacters {
  bool table[256] = {};
  constexpr WordCharacters() {
    for (int c = 'a'; c <= 'z'; ++c) table[c] = true;
    for (int c = '0'; c <= '9'; ++c) table[c] = true;
  }
};
constexpr WordCharacters kWordCharacters;
bool isWordCharacter(int c) { return c != kEof && kWordCharacters.table[c]; }

// The text of the token being scanned.
char* const text = scanBuffer.text.data();
std::size_t textLength = 0;
// A number token of at most 15 integer digits and nothing else: its value,
// which atof of its text gives.
KnownNumber integerToken;

// Adds one character; a token keeps its first 255 characters.
inline void append(int c) {
  if (textLength < kTextLimit) text[textLength++] = c == kEof ? kEndOfInputChar : static_cast<char>(c);
}

// The token ends; `next`, the character read after it, waits in buffer.
void finish(int next) {
  buffer = next;
  text[textLength] = '\0';
}

// The token's first character, `c`. White space, comments and dropped
// characters before it add nothing to the text, so it goes to text[0]: a
// place known when compiled, whose store needs no address computed first.
inline void begin(int c) {
  text[0] = static_cast<char>(c);
  textLength = 1;
}

// finish of a token whose text is its first `length` characters, 1 or 2, a
// constant at each call (stores at known places, as in begin); returns the
// length.
inline std::size_t finishAt(std::size_t length, int next) {
  textLength = length;
  buffer = next;
  text[length] = '\0';
  return length;
}

// Reads until a character for which `fits` holds, dropping the others;
// returns it, or -1 at end of input.
template <typename Fits>
int await(Fits fits) {
  for (;;) {
    int c = readByte();
    if (c == kEof || fits(c)) return c;
  }
}

// Words and names after their first letter (the states a word and a word
// after an underscore): letters, digits and underscores; after an
// underscore other characters are dropped until a letter, digit or
// underscore comes.
void scanWord() {
  for (;;) {
    // The common run, straight from the block (through locals, which the
    // text written does not alias).
    const unsigned char* next = blockNext;
    const unsigned char* end = blockEnd;
    std::size_t length = textLength;
    for (; next != end && kWordCharacters.table[*next]; ++next) {
      if (length < kTextLimit) text[length++] = static_cast<char>(*next);
    }
    blockNext = next;
    textLength = length;
    int c = readByte();
    if (isWordCharacter(c)) {
      append(c);
      continue;
    }
    if (c != '_') return finish(c);
    do {
      append(c);  // "_"
      c = await([](int x) { return x == '_' || kWordCharacters.table[x]; });
      if (c == kEof) return finish(c);
    } while (c == '_');
    append(c);
  }
}

// A name after its sigil, the text's first character (the state after the
// sigil): characters up to a letter are dropped.
void scanName() {
  int c = await(isLetter);
  if (c == kEof) return finish(c);
  text[1] = static_cast<char>(c);
  textLength = 2;
  scanWord();
}

// The rest of a number after its first digit (the states from the integer
// digits to the exponent digits); returns its class: an operator's while
// the exponent's sign waits for a digit at end of input.
int32_t scanNumber() {
  // The run of integer digits, straight from the block; its value is kept
  // while it is exact.
  std::uint64_t value = static_cast<unsigned>(text[textLength - 1] - '0');
  std::size_t digits = 1;
  int c;
  for (;;) {
    const unsigned char* next = blockNext;
    const unsigned char* end = blockEnd;
    std::size_t length = textLength;
    for (; next != end && isDigit(*next); ++next) {
      value = value * 10 + static_cast<unsigned>(*next - '0');
      ++digits;
      if (length < kTextLimit) text[length++] = static_cast<char>(*next);
    }
    blockNext = next;
    textLength = length;
    c = readByte();
    if (!isDigit(c)) break;
    value = value * 10 + static_cast<unsigned>(c - '0');
    ++digits;
    append(c);
  }
  if (c != ',' && c != 'e') {
    finish(c);
    // At most 15 digits: the value is below 2^53, so atof reads it exactly.
    if (digits <= 15) {
      double number = static_cast<double>(value);
      integerToken = {true, false, text[0] == '-' ? -number : number};
    }
    return kNumber;
  }
  if (c == ',') {  // a decimal comma waits for a digit
    append(c);
    c = await(isDigit);
    if (c == kEof) return finish(c), kNumber;
    append(c);
    while (isDigit(c = readByte())) append(c);
  }
  if (c != 'e') return finish(c), kNumber;
  append(c);  // an exponent waits for a digit or a sign
  c = await([](int x) { return isDigit(x) || x == '+' || x == '-'; });
  if (c == kEof) return finish(c), kNumber;
  if (!isDigit(c)) {
    append(c);
    c = await(isDigit);
    // Required: the class is the operator's until a digit follows;
    // lexer/numbers_comma_exponent_sign.
    if (c == kEof) return finish(c), kOperator;
  }
  append(c);
  while (isDigit(c = readByte())) append(c);
  return finish(c), kNumber;
}

// A string after its opening quote (the states the string and after a
// slash in it): a slash keeps the character after it, quote included; line
// feeds and NUL bytes are text too.
void scanString() {
  for (;;) {
    int c = readByte();
    if (c == kEof) return finish(c);
    if (c == '"') return finish(readByte());
    append(c);
    if (c == '/') {
      c = readByte();
      if (c == kEof) return finish(c);
      append(c);
    }
  }
}

// A comment after its ":" (the states from after the ":" to the block
// comment after a "!"), dropped; returns the character read after it, with
// which the next token begins.
int skipComment() {
  int c = await([](int x) { return x == '!' || x == ':'; });
  if (c == ':') {  // "::" up to the end of the line
    do {
      c = readByte();
    } while (c != kEof && c != '\n');
    return c == kEof ? c : readByte();
  }
  while (c != kEof) {  // ":!" up to "!:"
    c = readByte();
    while (c == '!') {
      c = readByte();
      if (c == ':') return readByte();
    }
  }
  return c;
}

// One token that is delivered: white space, comments and characters that
// begin no token are skipped. Leaves its text and class in scanBuffer and
// returns its length.
std::size_t scanToken() {
  int c;
  if (buffer != 0) {
    c = buffer;
    buffer = 0;
  } else {
    c = readByte();
  }
  textLength = 0;
  integerToken.known = false;
  int32_t& tokenClass = scanBuffer.tokenClass;
  for (;;) {
    // A space, the most common character between tokens, is skipped before
    // the switch sorts out the others.
    if (c == ' ') {
      c = readByte();
      endPiece(kWhiteSpace, c != kEof);
      continue;
    }
    switch (c) {
      case '\t': case '\n': case ' ':
        c = readByte();
        endPiece(kWhiteSpace, c != kEof);
        continue;
      case ':':
        c = skipComment();
        endPiece(kComment, c > 0);
        continue;
      case '!': case '<': case '>':
        begin(c);
        tokenClass = kOperator;
        c = readByte();
        if (c != '=') return finishAt(1, c);
        text[1] = '=';
        return finishAt(2, readByte());
      case '%': case '&': case '(': case ')': case '*': case '/': case '=': case '^': case '_':
      case '|':
        tokenClass = kOperator;
        break;
      case '+': case '-': {
        begin(c);
        int next = readByte();
        if (isDigit(next)) {
          text[1] = static_cast<char>(next);
          textLength = 2;
          tokenClass = scanNumber();
          return textLength;
        }
        if (c == '-' && next == '>') {
          tokenClass = kArrow;
          text[1] = '>';
          return finishAt(2, readByte());
        }
        tokenClass = kOperator;
        return finishAt(1, next);
      }
      case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8':
      case '9':
        begin(c);
        tokenClass = scanNumber();
        return textLength;
      case '"':
        tokenClass = kString;
        scanString();
        // A NUL byte in the string ends its text.
        return strnlen(text, textLength);
      case ';':
        tokenClass = kSemicolon;
        break;
      case '{': case '}':
        tokenClass = kBrace;
        break;
      case '?': case '@': case '~':
        begin(c);
        tokenClass = c == '?' ? kDeclaration : c == '@' ? kVariable : kCall;
        scanName();
        return textLength;
      case kEof:
        tokenClass = kEnd;
        break;
      default:
        if (c == '.' || isLetter(c)) {
          begin(c);
          tokenClass = kWord;
          scanWord();
          return textLength;
        }
        c = readByte();  // a character that begins no token is dropped
        endPiece(kDroppedCharacter, c != kEof);
        continue;
    }
    // A token of one fixed character, `c` (or the end of input): one more is
    // read and pushed back.
    text[0] = c == kEof ? kEndOfInputChar : static_cast<char>(c);
    return finishAt(1, readByte());
  }
}

}  // namespace

int32_t Je_cislo(const char* text) {
  if (isDigit(static_cast<unsigned char>(text[0]))) return 1;
  return (text[0] == '+' || text[0] == '-') && isDigit(static_cast<unsigned char>(text[1]));
}

namespace {

// The word or operator the `length` characters at `text` spell, kNoWord if
// none; chosen by length and first character.
Word wordOf(const char* text, std::size_t length) {
  auto is = [&](const char* word) { return std::memcmp(text, word, length) == 0; };
  switch (length) {
    case 1:
      switch (text[0]) {
        case '.': return kDot;
        case '(': return kOpenParen;
        case ')': return kCloseParen;
        case '|': return kOr;
        case '&': return kAnd;
        case '!': return kNot;
        case '<': return kLess;
        case '>': return kGreater;
        case '=': return kEqual;
        case '+': return kPlus;
        case '-': return kMinus;
        case '*': return kTimes;
        case '/': return kDivide;
        case '%': return kModulo;
        case ';': return kSemicolonText;
        case '{': return kOpenBrace;
        case '}': return kCloseBrace;
        default: return kNoWord;
      }
    case 2:
      if (text[1] == '2') {
        switch (text[0]) {
          case 'w': return kW2;
          case 'i': return kI2;
          case 'e': return kE2;
          case 'p': return kP2;
          default: return kNoWord;
        }
      }
      if (text[1] != '=') return kNoWord;
      switch (text[0]) {
        case '!': return kNotEqual;
        case '<': return kLessEqual;
        case '>': return kGreaterEqual;
        default: return kNoWord;
      }
    case 3:
      return is("cti") ? kCtiWord : is("pis") ? kPisWord : kNoWord;
    case 6:
      return is("i2_end") ? kI2End : is("w2_end") ? kW2End : is("pis_ln") ? kPisLnWord : kNoWord;
    default:
      return kNoWord;
  }
}

}  // namespace

// Required: a text is matched whatever its class, so a string spelling a
// keyword or operator acts as one; pinned by
// statements/string_with_keyword_text_starts_statement and
// conditional/strings_with_operator_text_act_as_operators.
Word wordOf(const char* text) { return wordOf(text, std::strlen(text)); }

namespace {

// Modes 0 to 2: the next token from the source, recorded in modes 1 and 2.
// Kept out of Lex so that a replayed token costs only the dispatch.
[[gnu::noinline]] void fromSource() {
  std::size_t length = scanToken();
  endPiece(scanBuffer.tokenClass, buffer > 0);
  Token& token = scanBuffer;
  token.length = static_cast<uint16_t>(length);
  int32_t tokenClass = token.tokenClass;
  // Names begin with a sigil and numbers with a digit or sign: no word or
  // operator among them.
  bool named = tokenClass == kVariable || tokenClass == kCall || tokenClass == kDeclaration;
  token.word = named || tokenClass == kNumber ? kNoWord : wordOf(text, length);
  token.record = nullptr;
  token.number = {};
  // A number token's value, read once; a text longer than a value is cut
  // when pushed and then reads differently.
  if (integerToken.known) {
    token.number = integerToken;
  } else if (tokenClass == kNumber && length < kValueSize && Je_cislo(text)) {
    token.number = {true, false, toNumber(text)};
  }
  token_buffer = &token;
  if (rezim_LA != kSource) Vloz_do_zas_cykl();
}

// The end-of-input token, once the run has stopped.
void deliverEnd() {
  scanBuffer = Token{};
  scanBuffer.text[0] = kEndOfInputChar;
  scanBuffer.length = 1;
  token_buffer = &scanBuffer;
}

}  // namespace

void discardSourceBlock() {
  blockNext = blockEnd = block;
  forgetSource();
}

int32_t Lex() {
  switch (rezim_LA) {
    case kReplayCondition:  // Cti_ze_zas, with the mode already known
      if (zasobnik != nullptr) replayTop(zasobnik->conditionCursor, zasobnik->condition);
      break;
    case kReplayBody:
      if (zasobnik != nullptr) replayTop(zasobnik->bodyCursor, zasobnik->body);
      break;
    case kLookAheadCondition:
    case kLookAheadBody:
      readThroughLookAhead();
      break;
    case kSource:
    case kSourceCondition:
    case kSourceBody:
      fromSource();
      break;
    default:
      // (Not a case of its own: the modes above stay a chain of compares,
      // cheaper on the replay path than a jump table.)
      if (rezim_LA == kStopped) deliverEnd();
      break;
  }
  tokenRead();
  return 0;
}

}  // namespace m4t4

// The lexer: a character-level state machine over the source stream in
// modes 0 to 2, and token replay from the loop token stack in modes 3 to 6.
#include <cerrno>
#include <cstring>

#include "procedures.h"

namespace m4t4 {
namespace {

constexpr int kEof = -1;

std::size_t scannedLength = 0;  // characters scanned into the current token, NUL bytes included

// States of the scanner.
enum ScanState {
  kStart = 0,
  kAfterComma = 1,        // after the decimal comma, waiting for a digit
  kAfterE = 2,            // after "e", waiting for a digit or sign
  kAfterExponentSign = 3,     // after the exponent's sign, waiting for a digit
  kInString = 4,
  kAfterSlash = 5,      // in a string, after "/"
  kAfterUnderscore = 6,   // in a word, after "_"
  kAfterSigil = 7,       // after "?", "@" or "~", waiting for a letter
  kLineComment = 8,
  kBlockComment = 9,
  kBlockCommentBang = 10,
  kAfterColon = 11,
  kComplete = 12,        // token complete, one character of look-ahead to push back
  kIntegerPart = 13,
  kInWord = 14,
  kAfterPlus = 15,
  kAfterMinus = 16,
  kAfterRelation = 17,        // after "!", "<" or ">"
  kFraction = 19,
  kExponentDigits = 20,
};

bool isLetter(int c) { return c >= 'a' && c <= 'z'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }

// Next character: the pushed-back one, else the next byte of the source.
int readChar() {
  if (buffer != 0) {
    int c = buffer;
    buffer = 0;
    return c;
  }
  int c = std::fgetc(f);
  if (c == EOF) {
    // A failed read ends the source like its end; the diagnostics then say
    // that it could not be read.
    if (std::ferror(f) && readError == 0) readError = errno != 0 ? errno : EIO;
    return kEof;
  }
  // Required: counted when read, look-ahead included, so a message about a
  // token can name the next line; lexer/errors/line_counted_from_look_ahead.
  if (c == '\n') ++cislo_radku;
  return c;
}

// Adds one character; a token keeps its first 255 characters.
void append(int c) {
  if (scannedLength + 1 >= kTokenTextSize) return;
  scanBuffer.text[scannedLength++] = c == kEof ? kEndOfInputChar : static_cast<char>(c);
  scanBuffer.text[scannedLength] = '\0';
}

// State 0: chooses the kind of token by its first character.
ScanState startToken(int c, bool& done) {
  auto begin = [&](int32_t tokenClass, ScanState next) {
    append(c);
    scanBuffer.tokenClass = tokenClass;
    return next;
  };
  if (c == '\t' || c == '\n' || c == ' ') {
    scanBuffer.tokenClass = kWhiteSpace;
    done = true;
    return kStart;
  }
  if (c == kEof) return begin(kEnd, kComplete);
  if (c == '!' || c == '<' || c == '>') return begin(kOperator, kAfterRelation);
  if (c == '"') {
    scanBuffer.tokenClass = kString;
    return kInString;
  }
  if (c != 0 && std::strchr("%&()*/=^_|", c)) return begin(kOperator, kComplete);
  if (c == '+') return begin(kOperator, kAfterPlus);
  if (c == '-') return begin(kOperator, kAfterMinus);
  if (c == '.' || isLetter(c)) return begin(kWord, kInWord);
  if (isDigit(c)) return begin(kNumber, kIntegerPart);
  if (c == ':') return begin(kComment, kAfterColon);
  if (c == ';') return begin(kSemicolon, kComplete);
  if (c == '{' || c == '}') return begin(kBrace, kComplete);
  if (c == '?') return begin(kDeclaration, kAfterSigil);
  if (c == '@') return begin(kVariable, kAfterSigil);
  if (c == '~') return begin(kCall, kAfterSigil);
  return kStart;  // a character that begins no token is dropped
}

// Adds a character of a number; the token is a number again.
void appendDigit(int c) {
  append(c);
  scanBuffer.tokenClass = kNumber;
}

// States of numbers. Returns the next state, or kStart when the token ends.
ScanState inNumber(ScanState state, int c) {
  bool digit = isDigit(c);
  switch (state) {
    case kIntegerPart:
      if (digit) return appendDigit(c), kIntegerPart;
      if (c == ',') return appendDigit(c), kAfterComma;
      if (c == 'e') return appendDigit(c), kAfterE;
      return kStart;
    case kAfterComma:
      return digit ? (appendDigit(c), kFraction) : kAfterComma;
    case kFraction:
      if (digit) return appendDigit(c), kFraction;
      if (c == 'e') return appendDigit(c), kAfterE;
      return kStart;
    case kAfterE:
      if (digit) return appendDigit(c), kExponentDigits;
      if (c == '+' || c == '-') {
        append(c);
        // Required: the class is the operator's until a digit follows;
        // lexer/numbers_comma_exponent_sign.
        scanBuffer.tokenClass = kOperator;
        return kAfterExponentSign;
      }
      return kAfterE;
    case kAfterExponentSign:
      return digit ? (appendDigit(c), kExponentDigits) : kAfterExponentSign;
    default:  // kExponentDigits
      return digit ? (appendDigit(c), kExponentDigits) : kStart;
  }
}

// States after "+", "-", "!", "<", ">".
ScanState inOperator(ScanState state, int c) {
  if ((state == kAfterPlus || state == kAfterMinus) && isDigit(c))
    return appendDigit(c), kIntegerPart;
  if (state == kAfterMinus && c == '>') {
    scanBuffer.tokenClass = kArrow;
    return append(c), kComplete;
  }
  if (state == kAfterRelation && c == '=') return append(c), kComplete;
  return kStart;
}

// States of words and names.
ScanState inWord(ScanState state, int c) {
  bool wordChar = isLetter(c) || isDigit(c);
  switch (state) {
    case kInWord:
      if (c == '_') return append(c), kAfterUnderscore;
      return wordChar ? (append(c), kInWord) : kStart;
    case kAfterUnderscore:
      if (c == '_') return append(c), kAfterUnderscore;
      return wordChar ? (append(c), kInWord) : kAfterUnderscore;
    default:  // kAfterSigil
      return isLetter(c) ? (append(c), kInWord) : kAfterSigil;
  }
}

// States of strings and comments; kComplete when the closing character came.
ScanState inText(ScanState state, int c) {
  switch (state) {
    case kInString:
      if (c == '"') return kComplete;
      append(c);
      return c == '/' ? kAfterSlash : kInString;
    case kAfterSlash:
      return append(c), kInString;
    case kAfterColon:
      if (c == '!') return append(c), kBlockComment;
      if (c == ':') return append(c), kLineComment;
      return kAfterColon;
    case kLineComment:
      append(c);
      return c == '\n' ? kComplete : kLineComment;
    case kBlockComment:
      append(c);
      return c == '!' ? kBlockCommentBang : kBlockComment;
    default:  // kBlockCommentBang
      append(c);
      if (c == ':') return kComplete;
      return c == '!' ? kBlockCommentBang : kBlockComment;
  }
}

// The state after `c` in a state past the first character; kStart when
// `c` cannot continue the token.
ScanState nextState(ScanState state, int c) {
  switch (state) {
    case kIntegerPart: case kAfterComma: case kFraction:
    case kAfterE: case kAfterExponentSign: case kExponentDigits:
      return inNumber(state, c);
    case kAfterPlus: case kAfterMinus: case kAfterRelation:
      return inOperator(state, c);
    case kInWord: case kAfterUnderscore: case kAfterSigil:
      return inWord(state, c);
    default:
      return inText(state, c);
  }
}

// Scans one token (white space and comments included) into scanBuffer.
void scan() {
  scannedLength = 0;
  scanBuffer.text[0] = '\0';
  scanBuffer.tokenClass = kEnd;
  bool done = false;
  ScanState state = kStart;
  while (state == kStart && !done) state = startToken(readChar(), done);
  while (!done) {
    int c = readChar();
    // End of input ends every state; the character that ends a token waits in buffer.
    state = state == kComplete || c == kEof ? kStart : nextState(state, c);
    if (state == kStart) {
      buffer = c;
      done = true;
    }
  }
}

}  // namespace

int32_t Je_cislo(const char* text) {
  if (isDigit(static_cast<unsigned char>(text[0]))) return 1;
  return (text[0] == '+' || text[0] == '-') && isDigit(static_cast<unsigned char>(text[1]));
}

// Required: a text is matched whatever its class, so a string spelling a
// keyword or operator acts as one; pinned by
// statements/string_with_keyword_text_starts_statement and
// conditional/strings_with_operator_text_act_as_operators.
Word wordOf(const char* text) {
  struct Entry {
    const char* text;
    Word word;
  };
  static constexpr Entry kWords[] = {
      {"w2", kW2},         {"i2", kI2},       {"e2", kE2},          {"i2_end", kI2End},
      {"w2_end", kW2End},  {"cti", kCtiWord}, {"pis", kPisWord},    {"pis_ln", kPisLnWord},
      {"p2", kP2},         {".", kDot},       {"(", kOpenParen},    {")", kCloseParen},
      {"|", kOr},          {"&", kAnd},       {"!", kNot},          {"<", kLess},
      {">", kGreater},     {"=", kEqual},     {"!=", kNotEqual},    {"<=", kLessEqual},
      {">=", kGreaterEqual}, {"+", kPlus},    {"-", kMinus},        {"*", kTimes},
      {"/", kDivide},      {"%", kModulo},    {";", kSemicolonText}, {"{", kOpenBrace},
      {"}", kCloseBrace},
  };
  for (const Entry& entry : kWords) {
    if (text[0] == entry.text[0] && std::strcmp(text, entry.text) == 0) return entry.word;
  }
  return kNoWord;
}

namespace {

// Modes 0 to 2: the next token from the source, recorded in modes 1 and 2.
// Kept out of Lex so that a replayed token costs only the dispatch.
[[gnu::noinline]] void fromSource() {
  do {
    scan();
  } while (scanBuffer.tokenClass == kComment || scanBuffer.tokenClass == kWhiteSpace);
  scanBuffer.length = static_cast<uint16_t>(std::strlen(scanBuffer.text.data()));
  scanBuffer.word = wordOf(scanBuffer.text.data());
  scanBuffer.record = nullptr;
  scanBuffer.number = {};
  // A number token's value, read once; a text longer than a value is cut
  // when pushed and then reads differently.
  if (scanBuffer.tokenClass == kNumber && scanBuffer.length < kValueSize &&
      Je_cislo(scanBuffer.text.data())) {
    scanBuffer.number = {true, false, toNumber(scanBuffer.text.data())};
  }
  token_buffer = &scanBuffer;
  if (rezim_LA != kSource) Vloz_do_zas_cykl();
}

}  // namespace

int32_t Lex() {
  switch (rezim_LA) {
    case kReplayCondition:  // Cti_ze_zas, with the mode already known
      if (zasobnik != nullptr) replayTop(zasobnik->conditionCursor, zasobnik->condition);
      return 0;
    case kReplayBody:
      if (zasobnik != nullptr) replayTop(zasobnik->bodyCursor, zasobnik->body);
      return 0;
    case kLookAheadCondition:
    case kLookAheadBody:
      readThroughLookAhead();
      return 0;
    case kSource:
    case kSourceCondition:
    case kSourceBody:
      fromSource();
      return 0;
    default:
      return 0;
  }
}

}  // namespace m4t4

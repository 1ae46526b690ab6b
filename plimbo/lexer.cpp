// The scanner: a hand-coded automaton over the source stream, and the mode
// switch that replays recorded loop tokens instead.
#include <cstring>

#include "procedures.h"

namespace plimbo {

namespace {

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

bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isCapital(int c) { return c >= 'A' && c <= 'Z'; }
bool isNameChar(int c) { return isDigit(c) || (c >= 'a' && c <= 'z') || c == '_'; }

// The next character of the source stream.
int readChar() {
  // Only this thread reads the source: no stream locking needed.
  int c = f != nullptr ? getc_unlocked(f) : kEnd;
  if (c == '\n') ++lineNo;
  if (c == EOF && f != nullptr && std::ferror(f)) {
    // The rest of the source is lost: say so instead of the syntax error its
    // end would cause, and read nothing more.
    stopRun("\nZdrojak se nepodarilo precist ty plimbo, cos tam jebnul\n");
    f = nullptr;
  }
  return c;
}

// The next character: the pushed-back one, or one read from the source. Only
// the first character of a token can be a pushed-back one: a token ends by
// pushing back the character after it, so within a token buffer is empty and
// the scan reads the stream directly.
int nextChar() {
  if (buffer == kNoPushback) return readChar();
  const int c = buffer;
  buffer = kNoPushback;
  return c;
}

// The token being scanned; its text is collected straight into the scanned token.
struct Scan {
  std::size_t length = 0;
  std::int32_t type = kEndOfInput;
  State state = State::kStart;
  bool done = false;
  bool nul = false;  // a NUL byte was appended (and ends the text)

  // A token keeps its first 255 characters; the rest is dropped.
  void append(int c) {
    if (length < kTokenTextSize - 1) scanned.text[length++] = static_cast<char>(c);
    nul |= c == 0;
  }
  void go(std::int32_t cls, State next) { type = cls; state = next; }
  void appendGo(int c, std::int32_t cls, State next) { append(c); go(cls, next); }
  // Finishes the token without consuming c.
  void end(int c) { buffer = c; done = true; }
};

void startState(Scan& s, int c) {
  switch (c) {
    case '+': case '-':
      // Required: a sign followed by digits is part of the number, so
      // "$a -1" is two factors (expressions/errors/no_unary_minus).
      return s.appendGo(c, kOperator, State::kNumber);
    case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9':
      return s.appendGo(c, kNumber, State::kNumber);
    case ',':
      return s.appendGo(c, kNumber, State::kFraction);
    case '<': case '>': case '!':
      return s.appendGo(c, kOperator, State::kRelation);
    case '"':
      return s.go(kString, State::kString);
    case '$':
      return s.appendGo(c, kVariable, State::kName);
    case '{': case '}':
      return s.appendGo(c, kBrace, State::kComplete);
    case '#':
      return s.appendGo(c, kCallName, State::kName);
    case '@':
      return s.appendGo(c, kDeclarationName, State::kName);
    case '/':
      return s.appendGo(c, kOperator, State::kSlash);
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
      s.type = kWhiteSpace;
      s.done = true;
      return;
    case ';':
      return s.appendGo(c, kSemicolon, State::kComplete);
    case '=': case '(': case '*': case ')': case '%': case '&': case '|':
      return s.appendGo(c, kOperator, State::kComplete);
    case kEnd:
      return s.appendGo(kEndOfInputText, kEndOfInput, State::kComplete);
    default:
      if (isCapital(c)) return s.appendGo(c, kKeyword, State::kKeyword);
      // A character that can begin no token is delivered alone, consumed.
      s.append(c);
      s.type = kBadCharacter;
      s.done = true;
      LAError = 1;
  }
}

// One transition of the automaton on character c. End of input inside a
// comment or a string ends it there and is scanned again as the next token.
void step(Scan& s, int c) {
  switch (s.state) {
    case State::kStart:
      return startState(s, c);
    case State::kNumber:
      if (isDigit(c)) {
        s.type = kNumber;
        while (isDigit(c)) {
          s.append(c);
          c = readChar();
        }
        if (c != ',') return s.end(c);
      }
      if (c == ',') return s.appendGo(c, kNumber, State::kFraction);
      return s.end(c);
    case State::kFraction:
      if (isDigit(c)) return s.append(c);
      return s.end(c);
    case State::kRelation:
      if (c == ':') return s.appendGo(c, kAssignment, State::kComplete);
      if (c == '=') return s.appendGo(c, kOperator, State::kComplete);
      return s.end(c);
    case State::kSlash:
      if (c == '/') return s.go(kComment, State::kLineComment);
      if (c == '*') return s.go(kComment, State::kBlockComment);
      return s.end(c);
    case State::kLineComment:
      if (c == '\n') s.state = State::kComplete;
      if (c == kEnd) s.end(c);
      return;
    case State::kBlockComment:
      if (c == '*') s.state = State::kBlockCommentStar;
      if (c == kEnd) s.end(c);
      return;
    case State::kBlockCommentStar:
      if (c == kEnd) return s.end(c);
      s.state = c == '/' ? State::kComplete : State::kBlockComment;
      return;
    case State::kName:
      // The rest of the name at once.
      while (isNameChar(c)) {
        s.append(c);
        c = readChar();
      }
      return s.end(c);
    case State::kString:
      if (c == '"') return void(s.state = State::kComplete);
      if (c == kEnd) return s.end(c);
      s.append(c);
      if (c == '\\') s.state = State::kStringEscape;
      return;
    case State::kStringEscape:
      if (c == kEnd) return s.end(c);
      return s.appendGo(c, kString, State::kString);
    case State::kKeyword:
      if (isCapital(c)) return s.append(c);
      return s.end(c);
    case State::kComplete:
      return s.end(c);
  }
}

// The word a token text of length characters is.
Word wordOf(const char* text, std::size_t length) {
  const auto is = [&](const char* word, Word value) {
    return text[0] == word[0] && std::memcmp(text, word, length) == 0 ? value : kNoWord;
  };
  switch (length) {
    case 1:
      switch (text[0]) {
        case '{': return kOpenBrace;
        case '}': return kCloseBrace;
        case '(': return kOpenParen;
        case ')': return kCloseParen;
        case ';': return kSemicolonText;
        case '!': return kNot;
        case '|': return kOr;
        case '&': return kAnd;
        case '<': return kLess;
        case '>': return kGreater;
        case '=': return kEqual;
        case '+': return kPlus;
        case '-': return kMinus;
        case '*': return kTimes;
        case '/': return kDivide;
        case '%': return kRemainder;
        default: return kNoWord;
      }
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

// Fills in what the grammar asks of the token: its word and, for a number or
// a string, the number of its value text (the text cut to 254 characters).
void classifyToken(Token& token) {
  token.word = wordOf(token.text.data(), token.length);
  token.symbol = nullptr;
  token.numeric = false;
  token.number = 0;
  if (token.type != kNumber && token.type != kString) return;
  token.numeric = MyIsdigit(token.text.data()) != 0;
  if (!token.numeric) return;
  if (token.length <= kMaxValueLength) {
    token.number = toNumber(token.text.data());
  } else {
    Value value;
    setText(value, token.text.data(), token.length);
    token.number = toNumber(value.text.data());
  }
}

// Scans the next token that is neither white space nor a comment.
void scanToken() {
  for (;;) {
    Scan s;
    int c = nextChar();
    while (isWhiteSpace(c)) c = readChar();  // white space: tokens of their own, never delivered
    step(s, c);
    while (!s.done) step(s, readChar());
    if (s.type == kWhiteSpace || s.type == kComment) continue;
    scanned.text[s.length] = '\0';
    // A NUL byte inside a string ends its text, as everywhere else.
    scanned.length = static_cast<std::uint32_t>(s.nul ? std::strlen(scanned.text.data()) : s.length);
    scanned.type = s.type;
    classifyToken(scanned);
    tok_n = &scanned;
    return;
  }
}

}  // namespace

bool isWhiteSpace(int c) {
  // Blank, and tab to carriage return: \t \n \v \f \r.
  return c == ' ' || (c >= '\t' && c <= '\r');
}

void lex() {
  switch (LAMode) {
    case kReadSource:
      scanToken();
      break;
    case kRecordCondition:
    case kRecordBody:
      scanToken();
      WH_PD_insert();
      break;
    case kReplayCondition:
    case kReplayBody:
      WH_PD_read();
      break;
    default:
      WH_PD_readAhead();
      break;
  }
}

bool isTrue(const Value& value) { return value.numeric ? value.number != 0.0 : value.length != 0; }

}  // namespace plimbo

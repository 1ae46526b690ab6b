// The scanner: a hand-coded automaton over the source stream, and the mode
// switch that replays recorded loop tokens instead.
#include <cstring>

#include "procedures.h"

namespace plimbo {

namespace {

Token scanned;  // the token scanned last from the source

enum class State {
  Start,
  Number,
  Fraction,
  Relation,
  Slash,
  LineComment,
  BlockComment,
  BlockCommentStar,
  Name,
  String,
  StringEscape,
  Keyword,
  Complete,
};

constexpr int kEnd = -1;  // end of input as a character value

bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isCapital(int c) { return c >= 'A' && c <= 'Z'; }
bool isNameChar(int c) { return isDigit(c) || (c >= 'a' && c <= 'z') || c == '_'; }

// The next character: the pushed-back one, or one read from the source.
int nextChar() {
  if (buffer != kNoPushback) {
    int c = buffer;
    buffer = kNoPushback;
    return c;
  }
  int c = f != nullptr ? std::fgetc(f) : kEnd;
  if (c == '\n') ++lineNo;
  if (c == EOF && f != nullptr && std::ferror(f)) {
    // The rest of the source is lost: say so instead of the syntax error its
    // end would cause, and read nothing more.
    stopRun("\nZdrojak se nepodarilo precist ty plimbo, cos tam jebnul\n");
    f = nullptr;
  }
  return c;
}

// The token being scanned; its text is collected straight into the scanned token.
struct Scan {
  std::size_t length = 0;
  std::int32_t type = kEndOfInput;
  State state = State::Start;
  bool done = false;

  // A token keeps its first 255 characters; the rest is dropped.
  void append(int c) {
    if (length < kTokenTextSize - 1) scanned.text[length++] = static_cast<char>(c);
  }
  void go(std::int32_t cls, State next) { type = cls; state = next; }
  void appendGo(int c, std::int32_t cls, State next) { append(c); go(cls, next); }
  // Finishes the token without consuming c.
  void end(int c) { buffer = c; done = true; }
};

void startState(Scan& s, int c) {
  if (c == '+' || c == '-') return s.appendGo(c, kOperator, State::Number);
  if (isDigit(c)) return s.appendGo(c, kNumber, State::Number);
  if (c == ',') return s.appendGo(c, kNumber, State::Fraction);
  if (c == '<' || c == '>' || c == '!') return s.appendGo(c, kOperator, State::Relation);
  if (c == '"') return s.go(kString, State::String);
  if (c == '$') return s.appendGo(c, kVariable, State::Name);
  if (c == '{' || c == '}') return s.appendGo(c, kBrace, State::Complete);
  if (c == '#') return s.appendGo(c, kCallName, State::Name);
  if (c == '@') return s.appendGo(c, kDeclarationName, State::Name);
  if (isCapital(c)) return s.appendGo(c, kKeyword, State::Keyword);
  if (c == '/') return s.appendGo(c, kOperator, State::Slash);
  if (isWhiteSpace(c)) {
    s.type = kWhiteSpace;
    s.done = true;
    return;
  }
  if (c == ';') return s.appendGo(c, kSemicolon, State::Complete);
  if (c > 0 && std::strchr("=(*)%&|", c) != nullptr)
    return s.appendGo(c, kOperator, State::Complete);
  if (c == kEnd) return s.appendGo(kEndOfInputText, kEndOfInput, State::Complete);
  // A character that can begin no token is delivered alone, consumed.
  s.append(c);
  s.type = kBadCharacter;
  s.done = true;
  LAError = 1;
}

// One transition of the automaton on character c. End of input inside a
// comment or a string ends it there and is scanned again as the next token.
void step(Scan& s, int c) {
  switch (s.state) {
    case State::Start:
      return startState(s, c);
    case State::Number:
      if (isDigit(c)) return s.appendGo(c, kNumber, State::Number);
      if (c == ',') return s.appendGo(c, kNumber, State::Fraction);
      return s.end(c);
    case State::Fraction:
      if (isDigit(c)) return s.append(c);
      return s.end(c);
    case State::Relation:
      if (c == ':') return s.appendGo(c, kAssignment, State::Complete);
      if (c == '=') return s.appendGo(c, kOperator, State::Complete);
      return s.end(c);
    case State::Slash:
      if (c == '/') return s.go(kComment, State::LineComment);
      if (c == '*') return s.go(kComment, State::BlockComment);
      return s.end(c);
    case State::LineComment:
      if (c == '\n') s.state = State::Complete;
      if (c == kEnd) s.end(c);
      return;
    case State::BlockComment:
      if (c == '*') s.state = State::BlockCommentStar;
      if (c == kEnd) s.end(c);
      return;
    case State::BlockCommentStar:
      if (c == kEnd) return s.end(c);
      s.state = c == '/' ? State::Complete : State::BlockComment;
      return;
    case State::Name:
      if (isNameChar(c)) return s.append(c);
      return s.end(c);
    case State::String:
      if (c == '"') return void(s.state = State::Complete);
      if (c == kEnd) return s.end(c);
      s.append(c);
      if (c == '\\') s.state = State::StringEscape;
      return;
    case State::StringEscape:
      if (c == kEnd) return s.end(c);
      return s.appendGo(c, kString, State::String);
    case State::Keyword:
      if (isCapital(c)) return s.append(c);
      return s.end(c);
    case State::Complete:
      return s.end(c);
  }
}

struct WordText {
  const char* text;
  Word word;
};

constexpr WordText kWords[] = {
    {"ZDECHNI", kZdechni}, {"PROM", kProm},   {"CTE", kCte},        {"ESLI", kEsli},
    {"JINEM", kJinem},     {"ILSE", kIlse},   {"DOKAD", kDokad},    {"FINISH", kFinish},
    {"VRACEE", kVracee},   {"NASAJ", kNasaj}, {"{", kOpenBrace},    {"}", kCloseBrace},
    {"(", kOpenParen},     {")", kCloseParen}, {";", kSemicolonText}, {"!", kNot},
    {"|", kOr},            {"&", kAnd},       {"<", kLess},         {">", kGreater},
    {"=", kEqual},         {"!=", kNotEqual}, {"<=", kLessEqual},   {">=", kGreaterEqual},
    {"+", kPlus},          {"-", kMinus},     {"*", kTimes},        {"/", kDivide},
    {"%", kRemainder},
};

// The word a token text is; every word is at most 7 characters long.
Word wordOf(const char* text, std::size_t length) {
  if (length > 7) return kNoWord;
  for (const WordText& word : kWords)
    if (word.text[0] == text[0] && std::strcmp(word.text, text) == 0) return word.word;
  return kNoWord;
}

// Fills in what the grammar asks of the token: its word and, for a number or
// a string, its value text's number.
void classifyToken(Token& token) {
  token.word = wordOf(token.text.data(), token.length);
  token.symbol = nullptr;
  token.numeric = false;
  token.number = 0;
  if (token.type == kNumber || token.type == kString) {
    Value value;
    setText(value, token.text.data(), token.length);
    classify(value);
    token.numeric = value.numeric;
    token.number = value.number;
  }
}

// Scans the next token that is neither white space nor a comment.
void scanToken() {
  for (;;) {
    Scan s;
    while (!s.done) step(s, nextChar());
    if (s.type == kWhiteSpace || s.type == kComment) continue;
    scanned.text[s.length] = '\0';
    // A NUL byte inside a string ends its text, as everywhere else.
    scanned.length = static_cast<std::uint32_t>(std::strlen(scanned.text.data()));
    scanned.type = s.type;
    classifyToken(scanned);
    tok_n = &scanned;
    return;
  }
}

}  // namespace

bool isWhiteSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::int32_t lex() {
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
  return LAError;
}

bool isTrue(const Value& value) { return value.numeric ? value.number != 0.0 : value.length != 0; }

}  // namespace plimbo

// The vexa automaton and the scanner that drives it one token at a time. The
// scanner calls the hook pieceRead (hooks.h) at the end of every piece of the
// source it reads, blockRead for every block it reads and characterRead for
// every character the automaton reads (sourceEnded at the end).
#include "lexer.h"

#include <cstdint>
#include <cstring>
#include <iterator>

#include "hooks.h"

namespace vexa {

const char* const STAVY[] = {
    "qS",   "qS1",  "qS2", "qD2",  "qV1",    "qV2",  "qR1",    "qC1",
    "qC2",  "qC3",  "qC4", "qO1",  "qO2",    "qO3",  "qF",     "qR1F",
    "qD1D3F", "qD1F", "qO3O4F", "qO3F", "qD2F", "nedefinovany"};

const char* const TYPY_TOKENU[] = {
    "cislo", "retezec", "promenna", "identifikator", "komentar",
    "operator", "ukonznak", "blok", "prirad"};

// The name tables must name every state and every class.
static_assert(std::size(STAVY) == kStateCount);
static_assert(std::size(TYPY_TOKENU) == kClassCount);
// Every label "[name] " fits one label block.
static_assert(sizeof("[identifikator] ") - 1 <= kLabelBlock);

std::FILE* file = nullptr;
Token t = {kNumber, nullptr};
int stopStatus = 0;
bool endOfInput = false;
std::size_t textLength = 0;

namespace {

// Room for a full token and its terminator, and at least kLineBlock bytes.
constexpr std::size_t kMaxLength = static_cast<std::size_t>(kMaxTokenLength);
constexpr std::size_t kTextCapacity = kMaxLength + 1;
static_assert(kTextCapacity >= kLineBlock);

// The storage of t.text, reused by every scan.
std::array<char, kTextCapacity> textBuffer = {};
// The block of the source being scanned: inputBuffer[0] holds the byte before
// the block, the block itself runs from inputBuffer[1] to inputEnd.
std::array<char, kInputCapacity + 1> inputBuffer = {};
const char* inputPos = inputBuffer.data() + 1;  // next byte to scan
const char* inputEnd = inputBuffer.data() + 1;  // end of the bytes read

}  // namespace

void reset() {
  file = nullptr;
  t = {kNumber, nullptr};
  stopStatus = 0;
  endOfInput = false;
  textLength = 0;
  textBuffer[0] = '\0';
  inputBuffer[0] = '\0';
  inputPos = inputEnd = inputBuffer.data() + 1;
  outputFd = 1;
  outputLength = 0;
}

namespace {

bool isLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isNameChar(int c) { return isLetter(c) || isDigit(c) || c == '_'; }
bool isOneOf(int c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// Characters that neither close nor reopen a block comment after its first
// `]`, so that `] ? ]` also ends it. Required; pinned by comments/neutral_after_bracket.
bool isNeutral(int c) {
  return c < 9 || c > 125 || (c >= 11 && c <= 31) || isOneOf(c, "#',?@`");
}

Move go(State s) { return {Move::kGo, s}; }
Move done(State s) { return {Move::kDone, s}; }
Move malformed(State s) { return {Move::kMalformed, s}; }

// A character that can begin no token is dropped like a blank (the lister's
// choice, so that it cannot meet the same character for ever; pinned by
// tokens/characters_that_begin_no_token and tokens/crlf_lines).
Move fromStart(int c) {
  if (isLetter(c)) return go(qR1F);
  if (isDigit(c)) return go(qD1D3F);
  if (c == '+' || c == '-') return go(qD1F);
  if (isOneOf(c, "!%()*/;=^{}")) return go(qF);
  switch (c) {
    case '&': return go(qO1);
    case '|': return go(qO2);
    case '<': return go(qO3O4F);
    case '>': return go(qO3F);
    case ':': return go(qO3);
    case '"': return go(qS1);
    case '[': return go(qC4);
    case '$': return go(qV1);
    default: return go(qS);
  }
}

// Ends the run with `status`, printing `message` first when there is one.
const char* stop(int status, const char* message) {
  if (message != nullptr) emit(message);
  if (stopStatus == 0) stopStatus = status;
  return nullptr;
}

}  // namespace

Move transition(State s, int c) {
  switch (s) {
    case qS:
      if (c == '\t' || c == '\n' || c == ' ') return go(qS);
      return fromStart(c);
    case qS1:
      if (c == '\\') return go(qS2);
      if (c == '"') return go(qF);
      return go(qS1);
    case qS2: return go(qS1);
    case qD2: return isDigit(c) ? go(qD2F) : malformed(s);
    case qV1: return isNameChar(c) ? go(qV2) : malformed(s);
    case qV2:
      if (isNameChar(c)) return go(qV2);
      return c == '$' ? go(qF) : malformed(s);
    case qR1:
      if (isLetter(c) || isDigit(c)) return go(qR1F);
      return c == '_' ? go(qR1) : malformed(s);
    case qC1: return c == '\n' ? go(qS) : go(qC1);
    case qC2: return c == ']' ? go(qC3) : go(qC2);
    case qC3:
      if (c == ']') return go(qS);
      return isNeutral(c) ? go(qC3) : go(qC2);
    case qC4:
      if (c == '>') return go(qC1);
      return c == '[' ? go(qC2) : malformed(s);
    case qO1: return c == '&' ? go(qF) : malformed(s);
    case qO2: return c == '|' ? go(qF) : malformed(s);
    case qO3: return c == '=' ? go(qF) : malformed(s);
    case qF: return done(s);
    case qR1F:
      if (isLetter(c) || isDigit(c)) return go(qR1F);
      return c == '_' ? go(qR1) : done(s);
    case qD1D3F:
      if (isDigit(c)) return go(qD1D3F);
      return c == '.' ? go(qD2) : done(s);
    case qD1F: return isDigit(c) ? go(qD1D3F) : done(s);
    case qO3O4F: return (c == '=' || c == '>') ? go(qF) : done(s);
    case qO3F: return c == '=' ? go(qF) : done(s);
    case qD2F: return isDigit(c) ? go(qD2F) : done(s);
    default: return malformed(s);
  }
}

bool removes(State from, State to, int c) {
  switch (to) {
    case qS: case qS2: case qC1: case qC2: case qC3: case qC4: return true;
    // The opening quote only: an escaped quote at the start of the text is
    // kept (pinned by tokens/strings, "\"x").
    case qS1: return from == qS;
    case qV1: return c == '$';            // the opening dollar
    case qF: return c == '"' || c == '$';  // the closing quote or dollar
    default: return false;
  }
}

std::optional<TokenClass> classOf(State s, int c) {
  switch (s) {
    case qS1: case qS2: return kString;
    case qD2: case qD1D3F: case qD1F: case qD2F: return kNumber;
    case qV1: case qV2: return kVariable;
    case qR1: case qR1F: return kIdentifier;
    case qO1: case qO2: case qO3: case qO3O4F: case qO3F: return kOperator;
    case qF:
      if (c == ';') return kTerminator;
      if (c == '{' || c == '}') return kBlock;
      // `%` has no class of its own in the language; the lister makes it an
      // operator (pinned by tokens/percent_after_brace).
      if (isOneOf(c, "!%()*/=^")) return kOperator;
      return std::nullopt;
    default: return std::nullopt;
  }
}

namespace {

// What one byte does in one state, worked out once from transition() and the
// removal and class rules, so that the scanner makes one table look-up per
// byte. The flags:
enum StepFlag : std::uint8_t {
  kEnds = 1 << 0,         // the byte is the look-ahead that ends the token
  kFails = 1 << 1,        // the token cannot be completed: kStatusMalformed
  kKeep = 1 << 2,         // the byte is appended to the text
  kLoneSign = 1 << 3,     // ends a sign that no digit follows: an operator
  kOpensString = 1 << 4,  // the opening quote: the token is a string, even ""
  kFirstClass = 1 << 5,   // the byte gives the class when one character is kept
  kEquals = 1 << 6,       // an `=`: `:=` just before it makes the class kAssignment
  kKeepsNul = 1 << 7,     // a NUL byte kept in the text ends its printed part
};
constexpr std::uint8_t kRare = kOpensString | kFirstClass | kEquals | kKeepsNul;

struct Step {
  std::uint8_t next;        // state after the byte (unchanged when it ends the token)
  std::uint8_t flags;       // StepFlag bits
  std::uint8_t firstClass;  // the class kFirstClass gives
  // 1 + whether the byte is kept, for a byte that leaves the state as it is
  // and does nothing else (a letter inside an identifier, a blank between
  // tokens); 0 for every other byte.
  std::uint8_t stay;
};

using StepTable = std::array<std::array<Step, 256>, kStateCount>;

// The states in which the text can still be empty: those reached from qS by
// bytes that are all removed.
std::array<bool, kStateCount> statesWithEmptyText() {
  std::array<bool, kStateCount> empty{};
  empty[qS] = true;
  for (bool grew = true; grew;) {
    grew = false;
    for (int s = 0; s < kStateCount; ++s) {
      if (!empty[static_cast<std::size_t>(s)]) continue;
      for (int c = 0; c < 256; ++c) {
        const Move move = transition(static_cast<State>(s), c);
        if (move.kind != Move::kGo || !removes(static_cast<State>(s), move.next, c)) continue;
        const auto next = static_cast<std::size_t>(move.next);
        if (!empty[next]) grew = empty[next] = true;
      }
    }
  }
  return empty;
}

StepTable makeSteps() {
  const std::array<bool, kStateCount> emptyText = statesWithEmptyText();
  StepTable steps{};
  for (int s = 0; s < kStateCount; ++s) {
    const State from = static_cast<State>(s);
    for (int c = 0; c < 256; ++c) {
      const Move move = transition(from, c);
      Step& step = steps[static_cast<std::size_t>(s)][static_cast<std::size_t>(c)];
      step.next = static_cast<std::uint8_t>(move.next);
      if (move.kind == Move::kMalformed) {
        step.flags = kFails;
      } else if (move.kind == Move::kDone) {
        step.flags = static_cast<std::uint8_t>(kEnds | (from == qD1F ? kLoneSign : 0));
      } else {
        unsigned flags = 0;
        const bool keep = !removes(from, move.next, c);
        if (keep) flags |= kKeep;
        if (keep && c == 0) flags |= kKeepsNul;
        // "" keeps no character, so the lister classes it at its opening
        // quote (pinned by tokens/empty_string_before_semicolon).
        if (from == qS && move.next == qS1) flags |= kOpensString;
        // One character is kept after this byte only if it is the first one
        // kept, or the byte is removed from a text of one character.
        const bool canLeaveOne = !keep || emptyText[static_cast<std::size_t>(s)];
        if (const std::optional<TokenClass> cls = classOf(move.next, c); cls && canLeaveOne) {
          flags |= kFirstClass;
          step.firstClass = static_cast<std::uint8_t>(*cls);
        }
        if (c == '=') flags |= kEquals;
        step.flags = static_cast<std::uint8_t>(flags);
        if (move.next == from && (flags & kRare) == 0) step.stay = keep ? 2 : 1;
      }
    }
  }
  return steps;
}

const StepTable kSteps = makeSteps();

// The class labels as printed, "[name] ", in blocks of one fixed size so
// that each is copied with a few moves.
struct Label {
  std::array<char, kLabelBlock> text;
  std::size_t length;
};

// (Made without allocating: this runs before main, where a shortage of
// memory could only abort.)
std::array<Label, kClassCount> makeLabels() {
  std::array<Label, kClassCount> labels{};
  for (std::size_t i = 0; i < labels.size(); ++i) {
    Label& label = labels[i];
    const auto append = [&label](const char* text) {
      for (; *text != '\0' && label.length < kLabelBlock; ++text) label.text[label.length++] = *text;
    };
    append("[");
    append(TYPY_TOKENU[i]);
    append("] ");
  }
  return labels;
}

const std::array<Label, kClassCount> kLabels = makeLabels();

// The bytes of the block from `p` on, read but not yet scanned (for the
// hook pieceRead).
std::size_t unreadFrom(const char* p, const char* end) { return static_cast<std::size_t>(end - p); }

// A token that grows past kMaxTokenLength ends the run; `pos` is just past
// the byte that made it too long.
const char* tooLong(const char* pos, const char* end) {
  pieceRead(kStoppedPiece, unreadFrom(pos, end));
  return stop(kStatusError, "moc dlouhy slovo\n");
}

// Reads the next block of `file`. The byte before the block stays in front
// of it (inputBuffer[0]), so the scanner can always look one byte back.
// Returns false at the end of the source, and on a read error after
// reporting it.
bool refill() {
  inputBuffer[0] = inputPos[-1];
  const std::size_t count = readSource(inputBuffer.data() + 1, kInputCapacity);
  blockRead(count);
  inputPos = inputBuffer.data() + 1;
  inputEnd = inputPos + count;
  if (count > 0) return true;
  if (std::ferror(file)) stop(kStatusError, "Soubor neexistuje\n");
  endOfInput = true;
  return false;
}

}  // namespace

const char* lex() {
  char* const text = textBuffer.data();
  t.text = text;
  // The scan works on local copies: stores into the text may alias globals,
  // which would otherwise be read again after every byte.
  const char* pos = inputPos;
  const char* end = inputEnd;
  int type = t.type;
  unsigned state = qS;
  std::size_t length = 0;
  bool keptNul = false;
  bool labelled = false;
  // For the hook: the type of the piece being read (blanks until a token or
  // a comment begins, then the class the token's first byte gives), and
  // whether it is a token.
  int piece = kBlankPiece;
  bool inToken = false;
  for (;;) {
    if (pos == end) {
      inputPos = pos;
      if (!refill()) {
        t.type = type;
        if (stopStatus != 0) return nullptr;
        // A token cut short keeps the class of its first byte until it
        // keeps a character ("$" alone is a variable).
        pieceRead(inToken && length > 0 ? type : piece, 0);
        sourceEnded(type, length);
        // Required: at end of input the text so far is returned without a
        // label (pinned by tokens/assignment_no_final_newline).
        break;
      }
      pos = inputPos;
      end = inputEnd;
    }
    const unsigned char c = static_cast<unsigned char>(*pos);
    const Step step = kSteps[state][c];
    if (step.stay != 0) {  // the common case, made short
      ++pos;
      text[length] = static_cast<char>(c);
      length += step.stay - 1u;
      if (length > kMaxLength) return tooLong(pos, end);
      characterRead(static_cast<int>(state), c, static_cast<int>(state), Move::kGo, unreadFrom(pos, end), type, length);
      continue;
    }
    if ((step.flags & (kEnds | kFails)) != 0) {
      if ((step.flags & kFails) != 0) {
        characterRead(static_cast<int>(state), c, static_cast<int>(state), Move::kMalformed, unreadFrom(pos + 1, end),
                      type, length);
        pieceRead(kStoppedPiece, unreadFrom(pos + 1, end));
        return stop(kStatusMalformed, nullptr);
      }
      // Required: a sign that no digit follows is an operator (tokens/signs).
      if ((step.flags & kLoneSign) != 0) type = kOperator;
      labelled = true;  // the look-ahead stays in the input: the next scan starts with it
      characterRead(static_cast<int>(state), c, static_cast<int>(state), Move::kDone, unreadFrom(pos + 1, end), type,
                    length);
      pieceRead(type, unreadFrom(pos, end));
      break;
    }
    ++pos;
    if (state == qS) {  // a comment or a token begins with this byte
      pieceRead(kBlankPiece, unreadFrom(pos - 1, end));
      inToken = step.next != qC4;
      const bool classed = (step.flags & kFirstClass) != 0;
      piece = !inToken ? kComment : classed ? step.firstClass : type;
    } else if (step.next == qS) {  // a comment ends with this byte
      pieceRead(kComment, unreadFrom(pos, end));
      piece = kBlankPiece;
      inToken = false;
    }
    if ((step.flags & kKeep) != 0) {
      if (length == kMaxLength) return tooLong(pos, end);
      text[length++] = static_cast<char>(c);
    }
    if ((step.flags & kRare) != 0) {
      if ((step.flags & kOpensString) != 0) type = kString;
      if ((step.flags & kFirstClass) != 0 && length == 1) type = step.firstClass;
      // Required: `:=` makes the class prirad wherever it stands, inside a
      // string too (pinned by tokens/strings, "a:=b"). pos[-2] is the byte
      // before this one; `:=` never straddles two scans, since after a `:`
      // every state takes an `=` into the same token.
      if ((step.flags & kEquals) != 0 && pos[-2] == ':') type = kAssignment;
      // The text is printed as a C string: a NUL ends it (tokens/nul_bytes).
      if ((step.flags & kKeepsNul) != 0) keptNul = true;
    }
    characterRead(static_cast<int>(state), c, step.next, Move::kGo, unreadFrom(pos, end), type, length);
    state = step.next;
  }
  inputPos = pos;
  t.type = type;
  text[length] = '\0';
  textLength = keptNul ? std::strlen(text) : length;
  if (labelled) {
    const Label& label = kLabels[static_cast<std::size_t>(type)];
    emitBlock(label.text.data(), label.length);
  }
  return text;
}

}  // namespace vexa

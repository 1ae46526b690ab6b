// The events of a run (events.h): the hooks of hooks.h, defined for the
// library m4t4_events. They keep their own account of what the stores and
// the flags do not show (where each token stands in the source, the loops'
// recordings and passes, why effects are off, the declarations), count the
// steps, and write the lines of web/EVENTS.md for the steps asked for. The
// stores are read through their functions (visitTable, visitStack).
//
// The loops' recordings are followed with a tape of the tokens the recorder
// holds, in the order it holds them, and for each level the ranges of the
// tape that are its condition and its body, with the places they are read
// from, kept by the rules of loop_stack.cpp; every token read back is checked
// against the one the recorder delivers (mismatches()).
#include "events.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "hooks.h"
#include "procedures.h"

namespace m4t4 {

namespace {

constexpr std::size_t kNone = SIZE_MAX;  // no position, no index
// What a step's line holds at most: variables, values of the pushdown,
// tokens of each recorded list, values of one call, declarations.
constexpr std::size_t kMaxVariables = 1000;
constexpr std::size_t kMaxStackValues = 100;
constexpr std::size_t kMaxStrip = 300;
constexpr std::size_t kMaxCallValues = 20;
constexpr std::size_t kMaxDeclarations = 200;

// Bytes [start, end) of the source; kNone where not known.
struct Span {
  std::size_t start = kNone;
  std::size_t end = kNone;
};

// ---- JSON ----

// Appends a text as a JSON string of bytes: every byte is one character
// (0 to 255); the control characters, the quote, the backslash and the
// bytes past 126 are escaped.
void appendString(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c > 0x7E) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  out += '"';
}

void appendNumber(std::string& out, std::uint64_t number) { out += std::to_string(number); }

// A position, or null.
void appendPosition(std::string& out, std::size_t position) {
  if (position == kNone)
    out += "null";
  else
    appendNumber(out, position);
}

void appendSpan(std::string& out, Span span) {
  out += '[';
  appendPosition(out, span.start);
  out += ',';
  appendPosition(out, span.end);
  out += ']';
}

// The values on top of the value stack, at most count of them, as the
// entries of a JSON array.
void appendTopValues(std::string& out, std::size_t count) {
  struct Values {
    std::string* out;
    std::size_t count, wanted;
  } values = {&out, 0, count};
  if (count == 0) return;
  visitStack([](const char* value, std::size_t length, void* context) {
    auto& v = *static_cast<Values*>(context);
    if (v.count++ != 0) *v.out += ',';
    appendString(*v.out, {value, length});
    return v.count < v.wanted;
  }, &values);
}

// ---- what is kept ----

events::Settings settings;
bool stopped = false;          // stopped, or its end written: nothing more is
std::uint64_t steps = 0;       // steps begun
bool reporting = false;        // the steps are reported, from step reportFrom
bool reported = false;         // they were, and the run goes on unreported
std::uint64_t reportFrom = 0;
std::size_t lastBreakpoint = kNone;  // the breakpoint range the last step began in
std::size_t mismatchCount = 0;
std::string did;               // what happened since the step began: entries of a JSON array
std::uint64_t wordsRead = 0;   // words cti has read

// Where the tokens stand in the source.
std::size_t bytesRead = 0;  // bytes of the source read so far
std::size_t pieceEnd = 0;   // where the last piece ended
Span piece;                 // the last piece the scanner read
Span current;               // the token delivered last
Span previous;              // the one before it

// Where the current token came from.
enum class From { kSource, kRecorded, kReplay, kLookAhead, kEnd };
struct Origin {
  From from = From::kSource;
  std::size_t level = kNone;  // the level it was recorded into or read from
  bool condition = false;     // from that level's condition (else its body)
  std::size_t index = kNone;  // its place in that list
};
Origin origin;

// The recorder's tokens, in its order.
struct Recorded {
  std::string text;
  Span span;
};
std::vector<Recorded> tape;

// A list of a level: the tape from first to last (kNone while empty).
struct Range {
  std::size_t first = kNone;
  std::size_t last = kNone;
  std::size_t at = kNone;    // the next token a replay reads
  std::size_t read = kNone;  // the token read from it last
  void extend(std::size_t index) {
    if (first == kNone) first = index;
    last = index;
  }
  std::size_t size() const { return first == kNone ? 0 : last - first + 1; }
};

// One loop level, as the recorder's.
struct Level {
  Range condition;
  Range body;
  std::size_t lookAt = kNone;     // the next token a nested first pass reads through it
  std::size_t lookRead = kNone;   // the token read through it last
  std::size_t readsFrom = kNone;  // the level its first pass reads through; kNone: the source
  std::uint64_t pass = 1;         // 1 on the first pass, one more for each replay
  bool replaying = false;
  std::size_t statement = kNone;  // where its w2 begins
};
std::vector<Level> levels;

// The statements and declarations being run, innermost last.
struct Frame {
  std::uint64_t step;  // the step it began, 0 when it began none
  std::size_t start;
  bool spanOpen;  // the end of its span is still to be told
};
std::vector<Frame> frames;

// Who set the effects flag: one entry per If and While being run.
struct Effect {
  EffectsCause cause;
  std::size_t at;        // where its statement begins
  std::int32_t entered;  // the flag before it
  std::int32_t flag;     // the flag it set
};
std::vector<Effect> effects;

struct Declaration {
  std::string name;
  Span span;
};
std::vector<Declaration> declarations;

struct Call {
  std::string name;
  std::size_t depth;  // values on the stack when it began
};
std::vector<Call> calls;  // the calls being run, innermost last

bool statementSteps() { return settings.unit == events::Unit::kStatement; }

// ---- the lines ----

void write(const std::string& line) {
  if (settings.sink == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), settings.sink);
  std::fflush(settings.sink);
}

// Something happened: an entry for did.
void happen(const std::string& entry) {
  if (stopped) return;
  if (!did.empty()) did += ',';
  did += entry;
}

// The cause as the lines name it: the conditional's condition, its else
// branch, the loop's condition.
const char* causeName(EffectsCause cause) {
  switch (cause) {
    case EffectsCause::kCondition: return "if";
    case EffectsCause::kElse: return "else";
    default: return "loop";
  }
}

// A recorded list, cut to kMaxStrip tokens around the one read last.
void appendList(std::string& out, const Range& list) {
  const std::size_t size = list.size();
  const std::size_t read = list.read != kNone && list.first != kNone ? list.read - list.first : kNone;
  std::size_t from = 0;
  if (size > kMaxStrip) {
    const std::size_t centre = read != kNone ? read : size - 1;
    from = std::min(centre > kMaxStrip / 2 ? centre - kMaxStrip / 2 : 0, size - kMaxStrip);
  }
  out += "{\"length\":";
  appendNumber(out, size);
  out += ",\"from\":";
  appendNumber(out, from);
  out += ",\"tokens\":[";
  for (std::size_t i = from; i < size && i < from + kMaxStrip; ++i) {
    if (i != from) out += ',';
    appendString(out, tape[list.first + i].text);
  }
  out += "],\"read\":";
  appendPosition(out, read);
  out += '}';
}

void appendEffects(std::string& out) {
  out += '[';
  for (std::size_t i = 0; i < effects.size(); ++i) {
    const Effect& effect = effects[i];
    if (i != 0) out += ',';
    out += "{\"cause\":\"";
    out += causeName(effect.cause);
    out += "\",\"at\":";
    appendPosition(out, effect.at);
    out += ",\"entered\":";
    appendNumber(out, effect.entered != 0 ? 1 : 0);
    out += ",\"flag\":";
    appendNumber(out, effect.flag != 0 ? 1 : 0);
    out += '}';
  }
  out += ']';
}

// The newest kMaxVariables variables, the oldest of them first.
void appendVariables(std::string& out) {
  std::vector<std::pair<std::string, std::string>> variables;
  visitTable([](const char* name, const char* value, std::size_t length, void* context) {
    auto& list = *static_cast<std::vector<std::pair<std::string, std::string>>*>(context);
    list.emplace_back(name, std::string(value, length));
    return list.size() < kMaxVariables;
  }, &variables);
  out += '[';
  for (std::size_t i = variables.size(); i-- > 0;) {
    if (i != variables.size() - 1) out += ',';
    out += '[';
    appendString(out, variables[i].first);
    out += ',';
    appendString(out, variables[i].second);
    out += ']';
  }
  out += "],\"varCount\":";
  appendNumber(out, tableSize());
}

void appendLoops(std::string& out) {
  out += '[';
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const Level& level = levels[i];
    if (i != 0) out += ',';
    out += "{\"at\":";
    appendPosition(out, level.statement);
    out += ",\"pass\":";
    appendNumber(out, level.pass);
    out += ",\"replaying\":";
    out += level.replaying ? "true" : "false";
    out += ",\"reads\":";
    appendPosition(out, level.readsFrom);
    out += ",\"cond\":";
    appendList(out, level.condition);
    out += ",\"body\":";
    appendList(out, level.body);
    out += ",\"look\":";
    appendPosition(out, level.lookRead != kNone ? level.lookRead - level.body.first : kNone);
    out += '}';
  }
  out += ']';
}

void appendToken(std::string& out) {
  static const char* const kFrom[] = {"source", "record", "replay", "look", "end"};
  out += "{\"text\":";
  appendString(out, {token_buffer->text.data(), token_buffer->length});
  out += ",\"at\":";
  appendSpan(out, current);
  out += ",\"from\":\"";
  out += kFrom[static_cast<int>(origin.from)];
  out += "\",\"level\":";
  appendPosition(out, origin.level);
  out += ",\"list\":\"";
  out += origin.condition ? "cond" : "body";
  out += "\",\"index\":";
  appendPosition(out, origin.index);
  out += '}';
}

void appendDeclarations(std::string& out) {
  out += '[';
  for (std::size_t i = 0; i < declarations.size(); ++i) {
    if (i != 0) out += ',';
    out += "{\"name\":";
    appendString(out, declarations[i].name);
    out += ",\"at\":";
    appendSpan(out, declarations[i].span);
    out += '}';
  }
  out += ']';
}

// The line of the step begun now, of kind at span, reading in mode.
void writeStep(const char* kind, Span span, std::int32_t mode) {
  // What was printed so far reaches the reader before the line that tells
  // where the run stands.
  flushOutput();
  std::string out = "{\"e\":\"step\",\"n\":";
  appendNumber(out, steps);
  out += ",\"kind\":\"";
  out += kind;
  out += "\",\"at\":";
  appendSpan(out, span);
  out += ",\"did\":[";
  out += did;
  out += "],\"flag\":";
  appendNumber(out, i2_priznak != 0 ? 1 : 0);
  out += ",\"mode\":";
  appendNumber(out, static_cast<std::uint64_t>(mode));
  out += ",\"effects\":";
  appendEffects(out);
  out += ",\"vars\":";
  appendVariables(out);
  out += ",\"stack\":[";
  appendTopValues(out, kMaxStackValues);
  out += "],\"depth\":";
  appendNumber(out, stackDepth());
  out += ",\"loops\":";
  appendLoops(out);
  out += ",\"token\":";
  appendToken(out);
  out += ",\"input\":";
  appendNumber(out, wordsRead);
  out += ",\"decls\":";
  appendDeclarations(out);
  out += "}\n";
  write(out);
}

// Ends the run (stopRun: every further token is the end of input), and
// nothing more is written. kind says why.
void stop(const char* kind) {
  std::string out = "{\"e\":\"";
  out += kind;
  out += "\",\"n\":";
  appendNumber(out, steps);
  out += ",\"did\":[";
  out += did;
  out += "]}\n";
  write(out);
  stopped = true;
  stopRun();
}

// The breakpoint range position lies in, or kNone.
std::size_t breakpointAt(std::size_t position) {
  if (position == kNone) return kNone;
  for (std::size_t i = 0; i < settings.breakpoints.size(); ++i)
    if (position >= settings.breakpoints[i].first && position < settings.breakpoints[i].second) return i;
  return kNone;
}

// A step begins, of kind at span; its tokens are read in mode.
void beginStep(const char* kind, Span span, std::int32_t mode = rezim_LA) {
  if (stopped) return;
  ++steps;
  if (steps > settings.bound) return stop("bound");
  // A statement on a breakpoint's line stops every time it begins; a token
  // when the run comes to the line from elsewhere.
  const std::size_t breakpoint = breakpointAt(span.start);
  const bool hits = breakpoint != kNone && (statementSteps() || breakpoint != lastBreakpoint);
  lastBreakpoint = breakpoint;
  if (!reporting && !reported && steps >= settings.from && (settings.breakpoints.empty() || hits)) {
    reporting = true;
    reportFrom = steps;
  }
  if (reporting && steps - reportFrom >= settings.count) {
    if (settings.stopAfter) return stop("cut");
    reporting = false;
    reported = true;
  }
  if (reporting) writeStep(kind, span, mode);
  did.clear();
}

// Tells where the span of the step a frame began ends.
void endSpan(Frame& frame, std::size_t end) {
  if (!frame.spanOpen) return;
  frame.spanOpen = false;
  if (frame.step == 0) return;
  std::string entry = "{\"e\":\"span\",\"n\":";
  appendNumber(entry, frame.step);
  entry += ",\"end\":";
  appendPosition(entry, end);
  entry += '}';
  happen(entry);
}

// The token at index of the tape is recorded for the top level's condition
// or body, and for the bodies of the levels around it in their first pass
// (as far as the level it reads through).
void recordInto(std::size_t index, bool condition) {
  Level& top = levels.back();
  (condition ? top.condition : top.body).extend(index);
  for (std::size_t i = levels.size() - 1; i-- > 0;) {
    if (i == top.readsFrom) break;
    if (!levels[i].replaying) levels[i].body.extend(index);
  }
}

// The current token is the one at index of the tape (kNone: end of input):
// its span, and the check that the recorder delivered that one.
void readTape(std::size_t index) {
  if (index == kNone) {
    current = {};
    origin.from = From::kEnd;
    if (token_buffer->tokenClass != kEnd) ++mismatchCount;
    return;
  }
  current = tape[index].span;
  if (std::string_view(token_buffer->text.data(), token_buffer->length) != tape[index].text) ++mismatchCount;
}

// The next token of a replayed list, which wraps after its last.
std::size_t replayFrom(Range& list) {
  const std::size_t index = list.at;
  if (index == kNone) return kNone;
  list.at = index == list.last ? list.first : index + 1;
  list.read = index;
  return index;
}

std::string nameOf(const Token& token) { return {token.text.data(), token.length}; }

}  // namespace

// ---- the hooks ----

void pieceRead(std::int32_t, std::size_t unread) {
  const std::size_t end = bytesRead - unread;
  piece = {pieceEnd, end};
  pieceEnd = end;
}

void blockRead(std::size_t count) { bytesRead += count; }

void tokenRead() {
  previous = current;
  const std::int32_t mode = rezim_LA;
  origin = {};
  if (mode == kStopped) {
    current = {};
    origin.from = From::kEnd;
  } else if (levels.empty() || mode == kSource) {
    current = piece;
  } else if (mode == kSourceCondition || mode == kSourceBody) {
    current = piece;
    tape.push_back({nameOf(*token_buffer), piece});
    recordInto(tape.size() - 1, mode == kSourceCondition);
    origin = {From::kRecorded, levels.size() - 1, mode == kSourceCondition, kNone};
  } else if (mode == kReplayCondition || mode == kReplayBody) {
    Range& list = mode == kReplayCondition ? levels.back().condition : levels.back().body;
    const std::size_t index = replayFrom(list);
    origin = {From::kReplay, levels.size() - 1, mode == kReplayCondition, index != kNone ? index - list.first : kNone};
    readTape(index);
  } else {
    // As readThroughLookAhead: through the look-ahead cursor of the level
    // the first pass reads, which stops after that level's body.
    const std::size_t readsFrom = levels.back().readsFrom;
    std::size_t index = kNone;
    if (readsFrom != kNone && levels[readsFrom].lookAt != kNone) {
      Level& source = levels[readsFrom];
      index = source.lookAt;
      source.lookAt = index == source.body.last ? kNone : index + 1;
      source.lookRead = index;
      recordInto(index, mode == kLookAheadCondition);
      origin = {From::kLookAhead, readsFrom, false, index - source.body.first};
    }
    readTape(index);
  }
  if (!statementSteps()) beginStep("token", current);
}

void statementStarts() {
  if (statementSteps()) beginStep("statement", {current.start, kNone});
  frames.push_back({statementSteps() ? steps : 0, current.start, true});
}

void statementEnds() {
  if (frames.empty()) return;
  endSpan(frames.back(), previous.end);
  frames.pop_back();
}

void variableSet(const TableRecord* record) {
  if (i2_priznak == 0 || record == nullptr) return;
  Field room;
  const char* text = nullptr;
  const std::size_t length = printedValue(*record, text, room);
  std::string entry = "{\"e\":\"set\",\"name\":";
  appendString(entry, record->name());
  entry += ",\"value\":";
  appendString(entry, {text, length});
  entry += '}';
  happen(entry);
}

void inputRead() {
  ++wordsRead;
  std::string entry = "{\"e\":\"input\",\"word\":";
  appendString(entry, pom_a.data());
  entry += '}';
  happen(entry);
}

void effectsChanged(EffectsCause cause) {
  if (cause == EffectsCause::kRestored) {
    if (!effects.empty()) effects.pop_back();
    return;
  }
  if (cause == EffectsCause::kElse) {
    if (!effects.empty()) {
      effects.back().cause = cause;
      effects.back().flag = i2_priznak;
    }
  } else {
    // The condition has been read: the span of its statement ends with ")".
    if (!frames.empty()) endSpan(frames.back(), current.end);
    const std::int32_t entered = effects.empty() ? 1 : effects.back().flag;
    effects.push_back({cause, frames.empty() ? kNone : frames.back().start, entered, i2_priznak});
  }
  std::string entry = "{\"e\":\"effects\",\"cause\":\"";
  entry += causeName(cause);
  entry += "\",\"flag\":";
  appendNumber(entry, i2_priznak != 0 ? 1 : 0);
  entry += '}';
  happen(entry);
}

void loopEntered(std::int32_t outerMode) {
  Level level;
  level.statement = frames.empty() ? kNone : frames.back().start;
  // As openLevel: a loop met in a replay reads its first pass through the
  // replayed body, from where it stands; one met in such a first pass reads
  // on through the same level.
  if ((outerMode == kReplayCondition || outerMode == kReplayBody) && !levels.empty()) {
    level.readsFrom = levels.size() - 1;
    levels.back().lookAt = levels.back().body.at;
  } else if ((outerMode == kLookAheadCondition || outerMode == kLookAheadBody) && !levels.empty()) {
    level.readsFrom = levels.back().readsFrom;
  }
  levels.push_back(level);
  std::string entry = "{\"e\":\"loop\",\"do\":\"enter\",\"level\":";
  appendNumber(entry, levels.size() - 1);
  entry += '}';
  happen(entry);
}

void loopReplays() {
  if (levels.empty()) return;
  Level& level = levels.back();
  level.replaying = true;
  ++level.pass;
  level.condition.at = level.condition.first;
  level.body.at = level.body.first;
  std::string entry = "{\"e\":\"loop\",\"do\":\"replay\",\"level\":";
  appendNumber(entry, levels.size() - 1);
  entry += ",\"pass\":";
  appendNumber(entry, level.pass);
  entry += '}';
  happen(entry);
  if (!statementSteps()) return;
  // The step is the test of the condition, which is all recorded.
  Span span;
  if (level.condition.first != kNone) span = {tape[level.condition.first].span.start, tape[level.condition.last].span.end};
  beginStep("condition", span, kReplayCondition);
}

void loopLeaves(std::int32_t outerMode) {
  if (levels.empty()) return;
  std::string entry = "{\"e\":\"loop\",\"do\":\"leave\",\"level\":";
  appendNumber(entry, levels.size() - 1);
  entry += ",\"passes\":";
  appendNumber(entry, levels.back().pass);
  entry += '}';
  happen(entry);
  // As closeLevel: the replay this loop's first pass read through goes on
  // after its "w2_end".
  const std::size_t source = levels.back().readsFrom;
  if ((outerMode == kReplayCondition || outerMode == kReplayBody) && source != kNone) {
    levels[source].body.at = levels[source].lookAt;
    levels[source].lookRead = kNone;
  }
  levels.pop_back();
  if (levels.empty()) tape.clear();
}

void functionStarts(bool declaration) {
  if (declaration) {
    if (statementSteps()) beginStep("declaration", {current.start, kNone});
    frames.push_back({statementSteps() ? steps : 0, current.start, true});
    if (declarations.size() < kMaxDeclarations) declarations.push_back({nameOf(*token_buffer), {current.start, kNone}});
    return;
  }
  calls.push_back({nameOf(*token_buffer), stackDepth()});
}

void functionEnds(bool declaration) {
  if (declaration) {
    if (frames.empty()) return;
    endSpan(frames.back(), previous.end);
    if (!declarations.empty() && declarations.back().span.start == frames.back().start)
      declarations.back().span.end = previous.end;
    frames.pop_back();
    return;
  }
  if (calls.empty()) return;
  const Call call = calls.back();
  calls.pop_back();
  // The values its arguments left on the stack.
  const std::size_t pushed = i2_priznak != 0 && stackDepth() > call.depth ? stackDepth() - call.depth : 0;
  std::string entry = "{\"e\":\"call\",\"name\":";
  appendString(entry, call.name);
  entry += ",\"count\":";
  appendNumber(entry, pushed);
  entry += ",\"pushed\":[";
  appendTopValues(entry, std::min(pushed, kMaxCallValues));
  entry += "]}";
  happen(entry);
}

void runEnds() {
  if (stopped) return;
  ++steps;
  writeStep("end", {}, rezim_LA);
  stopped = true;
}

namespace events {

void configure(const Settings& chosen) {
  settings = chosen;
  if (settings.count == 0) settings.count = 1;
  stopped = false;
  steps = 0;
  reporting = reported = false;
  reportFrom = 0;
  lastBreakpoint = kNone;
  mismatchCount = 0;
  did.clear();
  wordsRead = 0;
  bytesRead = pieceEnd = 0;
  piece = current = previous = Span{};
  origin = {};
  tape.clear();
  levels.clear();
  frames.clear();
  effects.clear();
  declarations.clear();
  calls.clear();
}

std::size_t mismatches() { return mismatchCount; }

}  // namespace events

}  // namespace m4t4

namespace {
m4t4::events::Settings pending;  // what steps_configure and steps_breakpoint have set
}

extern "C" void steps_configure(int fd, int unit, double from, double count, double bound) {
  pending = {};
  pending.unit = unit == 1 ? m4t4::events::Unit::kToken : m4t4::events::Unit::kStatement;
  pending.from = from >= 1 ? static_cast<std::uint64_t>(from) : 1;
  pending.count = count >= 0 ? static_cast<std::uint64_t>(count) : UINT64_MAX;
  pending.bound = bound >= 0 ? static_cast<std::uint64_t>(bound) : UINT64_MAX;
  pending.sink = fd >= 0 ? fdopen(fd, "w") : nullptr;
  m4t4::events::configure(pending);
}

extern "C" void steps_breakpoint(double first, double end) {
  if (first < 0 || end <= first) return;
  pending.breakpoints.emplace_back(static_cast<std::size_t>(first), static_cast<std::size_t>(end));
  m4t4::events::configure(pending);
}

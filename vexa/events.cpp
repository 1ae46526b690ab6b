// The events of a run (events.h): the hooks of hooks.h, defined for the
// library vexa_events. Every character the automaton reads is a step; for
// the steps asked for they write the lines of web/EVENTS.md: the move the
// automaton made, the token collected so far and its class. The table of
// the automaton that the page shows is made here from transition().
#include "events.h"

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "hooks.h"
#include "lexer.h"

namespace vexa {

namespace {

constexpr std::size_t kNone = SIZE_MAX;
// The most characters of the token collected that a line holds.
constexpr std::size_t kMaxText = 300;

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

events::Settings settings;
bool stopped = false;          // stopped, or its end written: nothing more is
std::uint64_t steps = 0;       // steps begun
bool reporting = false;        // the steps are reported, from step reportFrom
bool reported = false;         // they were, and the run goes on unreported
std::uint64_t reportFrom = 0;
std::size_t lastBreakpoint = kNone;  // the breakpoint range the last step was in
std::string did;               // what happened since the step began: entries of a JSON array
std::size_t bytesRead = 0;     // bytes of the source read so far
std::uint64_t listed = 0;      // tokens listed with their class
bool tableWritten = false;     // the table of the automaton has been written

void write(const std::string& line) {
  if (settings.sink == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), settings.sink);
  std::fflush(settings.sink);
}

void happen(const std::string& entry) {
  if (stopped) return;
  if (!did.empty()) did += ',';
  did += entry;
}

const char* className(int type) { return type >= 0 && type < kClassCount ? TYPY_TOKENU[type] : ""; }

// The token collected: the first length characters of t.text.
std::string_view collected(std::size_t length) {
  return t.text != nullptr ? std::string_view(t.text, std::min(length, kMaxText)) : std::string_view();
}

std::size_t breakpointAt(std::size_t position) {
  for (std::size_t i = 0; i < settings.breakpoints.size(); ++i)
    if (position >= settings.breakpoints[i].first && position < settings.breakpoints[i].second) return i;
  return kNone;
}

// Ends the run: the scan ends with the token it is in, and nothing more is
// written. kind says why.
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
  if (stopStatus == 0) stopStatus = kStatusError;
}

// Whether the step begun now is reported (false also when the run stops).
// The entries of did are what its character did.
bool beginStep(std::size_t position) {
  if (stopped) return false;
  ++steps;
  if (steps > settings.bound) return stop("bound"), false;
  // A breakpoint's line is come to from elsewhere: the look-ahead that ends
  // a token is read again by the next scan, at the same place.
  const std::size_t breakpoint = breakpointAt(position);
  const bool hits = breakpoint != kNone && breakpoint != lastBreakpoint;
  lastBreakpoint = breakpoint;
  if (!reporting && !reported && steps >= settings.from && (settings.breakpoints.empty() || hits)) {
    reporting = true;
    reportFrom = steps;
  }
  if (reporting && steps - reportFrom >= settings.count) {
    if (settings.stopAfter) return stop("cut"), false;
    reporting = false;
    reported = true;
  }
  return reporting;
}

// The start of a step's line: what happened before it, and the listing so
// far is out.
std::string stepLine(const char* kind) {
  flushOutput();
  std::string out = "{\"e\":\"step\",\"n\":";
  appendNumber(out, steps);
  out += ",\"kind\":\"";
  out += kind;
  out += "\",\"did\":[";
  out += did;
  out += "]";
  did.clear();
  return out;
}

// The name of a column of the table: its characters, a run of three or more
// as first-last.
std::string columnLabel(const std::vector<int>& characters) {
  const auto name = [](int c) -> std::string {
    if (c == '\t') return "tab";
    if (c == '\n') return "newline";
    if (c == ' ') return "blank";
    if (c > ' ' && c < 0x7F) return std::string(1, static_cast<char>(c));
    char code[8];
    std::snprintf(code, sizeof code, "\\x%02X", c);
    return code;
  };
  std::string label;
  std::size_t runs = 0;
  for (std::size_t i = 0; i < characters.size();) {
    std::size_t j = i;
    while (j + 1 < characters.size() && characters[j + 1] == characters[j] + 1) ++j;
    if (!label.empty()) label += ' ';
    // (Appended piece by piece: GCC 12 warns, wrongly, of overlapping
    // copies in a chain of string sums here.)
    if (j - i >= 2) {
      label += name(characters[i]);
      label += '-';
      label += name(characters[j]);
    } else {
      for (std::size_t k = i; k <= j; ++k) {
        if (k != i) label += ' ';
        label += name(characters[k]);
      }
    }
    ++runs;
    i = j + 1;
  }
  return runs > 12 || label.size() > 24 ? "other" : label;
}

// The table of the automaton: its states, its columns (the bytes that every
// state treats alike), the column of every byte, and the move of every state
// on every column: a state's name, "done" or "fail".
void writeTable() {
  std::array<std::size_t, 256> column{};
  std::vector<std::vector<int>> members;
  std::vector<std::array<Move, kStateCount - 1>> moves;
  for (int c = 0; c < 256; ++c) {
    std::array<Move, kStateCount - 1> row{};
    for (int s = 0; s < kStateCount - 1; ++s) row[static_cast<std::size_t>(s)] = transition(static_cast<State>(s), c);
    std::size_t found = moves.size();
    for (std::size_t i = 0; i < moves.size() && found == moves.size(); ++i) {
      bool same = true;
      for (std::size_t s = 0; s < row.size() && same; ++s)
        same = row[s].kind == moves[i][s].kind && row[s].next == moves[i][s].next;
      if (same) found = i;
    }
    if (found == moves.size()) {
      moves.push_back(row);
      members.emplace_back();
    }
    column[static_cast<std::size_t>(c)] = found;
    members[found].push_back(c);
  }
  std::string out = "{\"e\":\"table\",\"states\":[";
  for (int s = 0; s < kStateCount - 1; ++s) {
    if (s != 0) out += ',';
    appendString(out, STAVY[s]);
  }
  out += "],\"columns\":[";
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (i != 0) out += ',';
    appendString(out, columnLabel(members[i]));
  }
  out += "],\"byte\":[";
  for (std::size_t c = 0; c < 256; ++c) {
    if (c != 0) out += ',';
    appendNumber(out, column[c]);
  }
  out += "],\"cells\":[";
  for (int s = 0; s < kStateCount - 1; ++s) {
    if (s != 0) out += ',';
    out += '[';
    for (std::size_t i = 0; i < moves.size(); ++i) {
      if (i != 0) out += ',';
      const Move move = moves[i][static_cast<std::size_t>(s)];
      appendString(out, move.kind == Move::kGo ? STAVY[move.next] : move.kind == Move::kDone ? "done" : "fail");
    }
    out += ']';
  }
  out += "]}\n";
  write(out);
}

}  // namespace

void blockRead(std::size_t count) {
  if (!tableWritten) writeTable();
  tableWritten = true;
  bytesRead += count;
}

void characterRead(int from, int c, int to, int move, std::size_t unread, int type, std::size_t length) {
  const std::size_t position = bytesRead - unread - 1;
  if (move == Move::kDone) {
    ++listed;
    std::string entry = "{\"e\":\"listed\",\"class\":";
    appendString(entry, className(type));
    entry += ",\"text\":";
    appendString(entry, collected(length));
    entry += '}';
    happen(entry);
  }
  if (!beginStep(position)) {
    did.clear();
    return;
  }
  static const char* const kMoves[] = {"go", "done", "malformed"};
  std::string out = stepLine("char");
  out += ",\"at\":[";
  appendNumber(out, position);
  out += ',';
  appendNumber(out, position + 1);
  out += "],\"char\":";
  appendNumber(out, static_cast<std::uint64_t>(c));
  out += ",\"from\":";
  appendString(out, STAVY[from]);
  out += ",\"to\":";
  appendString(out, STAVY[to]);
  out += ",\"move\":\"";
  out += kMoves[move >= 0 && move <= 2 ? move : 2];
  out += "\",\"text\":";
  appendString(out, collected(length));
  out += ",\"length\":";
  appendNumber(out, length);
  out += ",\"class\":";
  appendString(out, className(type));
  out += ",\"listed\":";
  appendNumber(out, listed);
  out += "}\n";
  write(out);
}

void sourceEnded(int type, std::size_t length) {
  std::string entry = "{\"e\":\"eof\",\"class\":";
  appendString(entry, className(type));
  entry += ",\"text\":";
  appendString(entry, collected(length));
  entry += '}';
  happen(entry);
}

void runEnds() {
  if (stopped) return;
  ++steps;
  std::string out = stepLine("end");
  out += ",\"at\":[null,null],\"status\":";
  appendNumber(out, static_cast<std::uint64_t>(stopStatus));
  out += ",\"listed\":";
  appendNumber(out, listed);
  out += "}\n";
  write(out);
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
  did.clear();
  bytesRead = 0;
  listed = 0;
  tableWritten = false;
}

}  // namespace events

}  // namespace vexa

namespace {
vexa::events::Settings pending;  // what steps_configure and steps_breakpoint have set
}

extern "C" void steps_configure(int fd, int, double from, double count, double bound) {
  pending = {};
  pending.from = from >= 1 ? static_cast<std::uint64_t>(from) : 1;
  pending.count = count >= 0 ? static_cast<std::uint64_t>(count) : UINT64_MAX;
  pending.bound = bound >= 0 ? static_cast<std::uint64_t>(bound) : UINT64_MAX;
  pending.sink = fd >= 0 ? fdopen(fd, "w") : nullptr;
  vexa::events::configure(pending);
}

extern "C" void steps_breakpoint(double first, double end) {
  if (first < 0 || end <= first) return;
  pending.breakpoints.emplace_back(static_cast<std::size_t>(first), static_cast<std::size_t>(end));
  vexa::events::configure(pending);
}

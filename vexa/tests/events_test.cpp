// The event build (library vexa_events) on every golden case: the lister
// prints what the case's .out holds, byte for byte, and ends with its
// .status; every line written is JSON, the first one the table of the
// automaton, the last one the end of the run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "events.h"
#include "lexer.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The golden cases as tests/run_case.sh runs them, but those that set up
// their folder.
std::vector<fs::path> goldenCases() {
  std::vector<fs::path> cases;
  for (const auto& entry : fs::recursive_directory_iterator(VEXA_CASES_DIR)) {
    const fs::path& source = entry.path();
    if (source.extension() == ".vexa" && !fs::exists(fs::path(source).replace_extension(".setup")))
      cases.push_back(source);
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

// Whether text, from at, is one JSON value (moving at past it).
bool json(const std::string& text, std::size_t& at) {
  const auto skip = [&] { while (at < text.size() && text[at] == ' ') ++at; };
  const auto literal = [&](const char* word) {
    if (text.compare(at, std::strlen(word), word) != 0) return false;
    at += std::strlen(word);
    return true;
  };
  skip();
  if (at >= text.size()) return false;
  const char c = text[at];
  if (c == '{' || c == '[') {
    const char close = c == '{' ? '}' : ']';
    ++at;
    skip();
    if (at < text.size() && text[at] == close) return ++at, true;
    for (;;) {
      if (c == '{') {
        skip();
        if (at >= text.size() || text[at] != '"' || !json(text, at)) return false;
        skip();
        if (at >= text.size() || text[at++] != ':') return false;
      }
      if (!json(text, at)) return false;
      skip();
      if (at >= text.size()) return false;
      if (text[at] == close) return ++at, true;
      if (text[at++] != ',') return false;
    }
  }
  if (c == '"') {
    for (++at; at < text.size() && text[at] != '"'; ++at) {
      if (static_cast<unsigned char>(text[at]) < 0x20) return false;
      if (text[at] == '\\' && ++at >= text.size()) return false;
    }
    return at++ < text.size();
  }
  if (c == '-' || (c >= '0' && c <= '9')) {
    while (at < text.size() && std::strchr("-+.eE0123456789", text[at]) != nullptr) ++at;
    return true;
  }
  return literal("true") || literal("false") || literal("null");
}

// Lists a case in a fresh folder holding it as zdrojak.vexa, the listing
// into a file and the events to events; what it listed, and the status.
std::pair<std::string, int> runCase(const fs::path& source, std::FILE* events) {
  const fs::path folder = fs::temp_directory_path() / ("vexa-events-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy_file(source, folder / "zdrojak.vexa");
  const fs::path printed = folder / ".out";
  const fs::path back = fs::current_path();
  fs::current_path(folder);
  std::fflush(stdout);
  const int saved = ::dup(1);
  const int out = ::open(printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(out, 1);
  ::close(out);
  events::Settings settings;
  // Every run is stepped all through; the first steps are written out.
  settings.count = 3000;
  settings.stopAfter = false;
  settings.sink = events;
  events::configure(settings);
  const int status = run();
  ::dup2(saved, 1);
  ::close(saved);
  fs::current_path(back);
  std::string text = contentOf(printed);
  fs::remove_all(folder);
  return {text, status};
}

TEST(Events, GoldenCasesStepByCharacter) {
  const std::vector<fs::path> cases = goldenCases();
  ASSERT_GT(cases.size(), 20u);
  for (const fs::path& source : cases) {
    const std::string name = fs::relative(source, VEXA_CASES_DIR).string();
    std::FILE* events = std::tmpfile();
    const auto [printed, status] = runCase(source, events);
    EXPECT_EQ(printed, contentOf(fs::path(source).replace_extension(".out"))) << name;
    const fs::path statusFile = fs::path(source).replace_extension(".status");
    EXPECT_EQ(status, fs::exists(statusFile) ? std::stoi(contentOf(statusFile)) : 0) << name;
    std::rewind(events);
    std::string lines, first, last;
    for (int ch; (ch = std::getc(events)) != EOF;) lines += static_cast<char>(ch);
    std::fclose(events);
    std::istringstream stream(lines);
    for (std::string line; std::getline(stream, line);) {
      std::size_t at = 0;
      EXPECT_TRUE(json(line, at) && at == line.size()) << name << ": " << line.substr(0, 300);
      if (first.empty()) first = line;
      last = line;
    }
    EXPECT_EQ(first.rfind("{\"e\":\"table\"", 0), 0u) << name << ": " << first.substr(0, 100);
    EXPECT_NE(last.find("\"kind\":\"end\""), std::string::npos) << name << ": " << last.substr(0, 200);
  }
}

}  // namespace
}  // namespace vexa

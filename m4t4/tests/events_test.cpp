// The event build (library m4t4_events) on every golden case, with
// statements and with tokens as steps: the program prints what the case's
// .out holds, byte for byte, the events' account of the loops' recordings
// foresees every token read back, and every line written is JSON, the last
// one the end of the run.
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
#include "m4t4.h"
#include "procedures.h"

namespace m4t4 {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A golden case as tests/run_case.sh runs it.
struct Case {
  fs::path source;
  std::vector<std::string> args;
};

std::vector<Case> goldenCases() {
  std::vector<Case> cases;
  for (const auto& entry : fs::recursive_directory_iterator(M4T4_CASES_DIR)) {
    const fs::path& source = entry.path();
    if (source.extension() != ".m4t") continue;
    const auto beside = [&](const char* extension) { return fs::path(source).replace_extension(extension); };
    // Cases that set up their folder or standard input otherwise are left
    // to run_case.sh.
    if (fs::exists(beside(".setup")) || fs::exists(beside(".stdin-closed")) || fs::exists(beside(".stdin-folder")))
      continue;
    Case c{source, {"m4t4"}};
    if (fs::exists(beside(".args"))) {
      std::istringstream lines(contentOf(beside(".args")));
      for (std::string line; std::getline(lines, line);) {
        for (std::size_t at; (at = line.find("@SRC@")) != std::string::npos;)
          line.replace(at, 5, source.filename().string());
        c.args.push_back(line);
      }
    } else {
      c.args.push_back(source.filename().string());
    }
    cases.push_back(c);
  }
  std::sort(cases.begin(), cases.end(), [](const Case& a, const Case& b) { return a.source < b.source; });
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

// Runs a case in a fresh folder holding its source, its standard input from
// its .in and its output into a file, with the events written to events;
// what it printed.
std::string runCase(const Case& c, std::FILE* events, events::Unit unit) {
  const fs::path folder = fs::temp_directory_path() / ("m4t4-events-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy_file(c.source, folder / c.source.filename());
  const fs::path input = fs::path(c.source).replace_extension(".in");
  const fs::path printed = folder / ".out";
  const fs::path back = fs::current_path();
  fs::current_path(folder);
  EXPECT_NE(std::freopen(fs::exists(input) ? input.c_str() : "/dev/null", "r", stdin), nullptr);
  std::fflush(stdout);
  const int saved = ::dup(1);
  const int out = ::open(printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(out, 1);
  ::close(out);
  events::Settings settings;
  settings.unit = unit;
  // Every run is stepped all through; the first steps are written out.
  settings.count = 3000;
  settings.stopAfter = false;
  settings.sink = events;
  events::configure(settings);
  std::vector<char*> argv;
  for (const std::string& arg : c.args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  run(static_cast<int>(c.args.size()), argv.data());
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  std::freopen("/dev/null", "r", stdin);
  fs::current_path(back);
  std::string text = contentOf(printed);
  fs::remove_all(folder);
  return text;
}

void checkEveryCase(events::Unit unit) {
  const std::vector<Case> cases = goldenCases();
  ASSERT_GT(cases.size(), 100u);
  std::size_t stepped = 0;  // cases whose run wrote events (the others never start a program)
  for (const Case& c : cases) {
    const std::string name = fs::relative(c.source, M4T4_CASES_DIR).string();
    std::FILE* events = std::tmpfile();
    const std::string printed = runCase(c, events, unit);
    EXPECT_EQ(printed, contentOf(fs::path(c.source).replace_extension(".out"))) << name;
    EXPECT_EQ(events::mismatches(), 0u) << name;
    std::rewind(events);
    std::string lines, last;
    for (int ch; (ch = std::getc(events)) != EOF;) lines += static_cast<char>(ch);
    std::fclose(events);
    std::istringstream stream(lines);
    std::size_t count = 0;
    for (std::string line; std::getline(stream, line); ++count) {
      std::size_t at = 0;
      EXPECT_TRUE(json(line, at) && at == line.size()) << name << ": " << line.substr(0, 300);
      last = line;
    }
    if (count == 0) continue;
    ++stepped;
    EXPECT_NE(last.find("\"kind\":\"end\""), std::string::npos) << name << ": " << last.substr(0, 200);
  }
  EXPECT_GT(stepped, cases.size() - 10);
}

TEST(Events, GoldenCasesStepByStatement) { checkEveryCase(events::Unit::kStatement); }

TEST(Events, GoldenCasesStepByToken) { checkEveryCase(events::Unit::kToken); }

}  // namespace
}  // namespace m4t4

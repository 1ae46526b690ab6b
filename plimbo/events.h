// The events of a run, for the playground's stepping page (web/EVENTS.md
// describes what is written): the interpreter's hooks (hooks.h) count the
// steps of the run, a statement or a token each, and for the steps asked for
// write the state the run is in, one line of JSON per step, with what
// happened between them. In the library plimbo_events only (hooks.h tells
// how it is built); what the program prints does not change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace plimbo::events {

// What one step is: a statement (a statement, a replayed condition test or a
// declaration begins), or a token that lex delivers.
enum class Unit : int { kStatement = 0, kToken = 1 };

// The most steps the playground lets a run take.
constexpr std::uint64_t kStepBound = 1'000'000;

struct Settings {
  Unit unit = Unit::kStatement;
  // The steps reported: count steps from step from (the first is 1); at the
  // step after them the run is stopped. With breakpoints, reporting begins
  // at the first step from step from on that begins in one of them.
  std::uint64_t from = 1;
  std::uint64_t count = UINT64_MAX;
  // Whether the run is stopped after them; else it goes on unreported, and
  // its end is reported.
  bool stopAfter = true;
  // The run is stopped at the step after this one.
  std::uint64_t bound = UINT64_MAX;
  // Byte ranges [first, second) of the source, the lines with a breakpoint.
  std::vector<std::pair<std::size_t, std::size_t>> breakpoints;
  std::FILE* sink = nullptr;  // where the lines go; none: nowhere
};

// Sets up the next run; it starts counting from nothing.
void configure(const Settings& settings);

// Tokens read back from a loop's recording whose text was not the one the
// events' own account of the recording expected (a test's check).
std::size_t mismatches();

}  // namespace plimbo::events

// For the page's worker: configure with the lines written to descriptor fd,
// reporting count steps (or all, when negative) from step from, at most
// bound steps; then one breakpoint range per call.
extern "C" void steps_configure(int fd, int unit, double from, double count, double bound);
extern "C" void steps_breakpoint(double first, double end);

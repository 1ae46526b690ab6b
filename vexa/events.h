// The events of a run, for the playground's stepping page (web/EVENTS.md
// describes what is written): the lister's hooks (hooks.h) count the steps
// of the run, one character read by the automaton each, and for the steps
// asked for write the state the automaton is in, one line of JSON per step.
// In the library vexa_events only (hooks.h tells how it is built); what the
// lister prints does not change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace vexa::events {

// The most steps the playground lets a run take.
constexpr std::uint64_t kStepBound = 1'000'000;

struct Settings {
  // The steps reported: count steps from step from (the first is 1); at the
  // step after them the run is stopped. With breakpoints, reporting begins
  // at the first step from step from on that comes to one of them.
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

// Sets up the next run, which starts counting from nothing; its first line
// is the table of the automaton.
void configure(const Settings& settings);

}  // namespace vexa::events

// For the page's worker: configure with the lines written to descriptor fd,
// reporting count steps (or all, when negative) from step from, at most
// bound steps; then one breakpoint range per call. (unit is for the
// interpreters' stepping, which has two; the lister has one.)
extern "C" void steps_configure(int fd, int unit, double from, double count, double bound);
extern "C" void steps_breakpoint(double first, double end);

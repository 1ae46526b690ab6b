// The stack the analysis runs on.
//
// The grammar procedures recurse once or more for every level of nesting, so
// the stack a run may use must be there before the run starts. A thread's
// stack is mapped whole when the thread is made; the main thread's stack
// grows on demand, page by page, and under a limit on address space
// (ulimit -v) that growth fails, with SIGSEGV, once the heap has taken the
// address space. So the analysis runs
//   1. on the calling thread when it is not the main thread and its stack
//      has kAnalysisStack left below this frame;
//   2. else on a thread of its own whose stack is kAnalysisStack;
//   3. else (no thread can be made: RLIMIT_NPROC is spent, or there is no
//      room for a whole stack) on the calling thread, with the stack it can
//      have now: the main thread's stack is grown at once, as far as its
//      limit (the soft one raised toward the hard one, and put back after
//      the run) and half of the address space left allow, or kept as it is
//      when less than is mapped of it already. The run may then
//      nest only as deep as that stack holds (nestingLimit): a small program
//      runs, and one that nests deeper stops with a message that says the
//      nesting needs more stack.
#ifndef __EMSCRIPTEN__
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "procedures.h"

namespace plimbo {

int nestingLimit = kMaxNesting;

#ifdef __EMSCRIPTEN__

void analyseOnReservedStack(void (*analysis)()) {
  analysis();  // no threads here; the link gives the main stack its size
}

#else

namespace {

// The lowest address the calling thread's stack may grow to; 0 when it
// cannot be told.
std::uintptr_t stackLow() {
  std::uintptr_t low = 0;
#ifdef __linux__
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
  void* address = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attributes, &address, &size) == 0) low = reinterpret_cast<std::uintptr_t>(address);
  pthread_attr_destroy(&attributes);
#endif
  return low;
}

bool onMainThread() {
#ifdef __linux__
  return ::getpid() == static_cast<pid_t>(::syscall(SYS_gettid));
#else
  return false;
#endif
}

// The caller's frame: where its stack stands.
[[gnu::always_inline]] inline std::uintptr_t here() {
  return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

// Bytes of the calling thread's stack below here, 0 when unknown.
std::size_t stackBelow(std::uintptr_t at) {
  const std::uintptr_t low = stackLow();
  return low != 0 && at > low ? at - low : 0;
}

void (*threadAnalysis)() = nullptr;  // what analyseOnOwnThread runs

// Runs the analysis on a thread whose stack is kAnalysisStack; false when
// no such thread can be made.
bool analyseOnOwnThread(void (*analysis)()) {
#ifdef __GLIBC__
  // A thread's first allocation would make it a malloc arena of its own,
  // which reserves 64 MiB of address space (twice that while it is aligned):
  // under a limit on address space a tiny program would fail for it. The
  // caller waits for the thread, so one arena is never contended.
  mallopt(M_ARENA_MAX, 1);
#endif
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  threadAnalysis = analysis;
  pthread_t thread;
  const bool started =
      pthread_attr_setstacksize(&attributes, kAnalysisStack) == 0 &&
      pthread_create(&thread, &attributes, [](void*) -> void* { threadAnalysis(); return nullptr; }, nullptr) == 0;
  pthread_attr_destroy(&attributes);
  if (started) pthread_join(thread, nullptr);
  return started;
}

constexpr std::size_t kPage = 4096;

// Whether the address space has room for a mapping of size bytes now.
bool addressSpaceHolds(std::size_t size) {
  void* area = ::mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (area == MAP_FAILED) return false;
  ::munmap(area, size);
  return true;
}

// Touches the stack page by page, each frame a page lower, down to lowest
// (the deepest frame stays above it): the main thread's stack grows over all
// of it now. (Each page is touched while it is the deepest frame, so no
// access lies below the stack pointer.)
[[gnu::noinline]] void touchStack(std::uintptr_t lowest) {
  volatile char page[kPage];
  page[0] = 0;
  if (reinterpret_cast<std::uintptr_t>(&page[0]) > lowest + 2 * kPage) touchStack(lowest);
  page[kPage - 1] = 0;  // (after the call, so that it stays a call)
}

// A mapping of the address space: its first address and the one past it.
struct Mapping {
  std::uintptr_t start = 0;
  std::uintptr_t end = 0;  // 0 when not known
};

// The mapping that holds address, as /proc/self/maps lists it ("start-end
// perms ..." a line).
Mapping mappingOf(std::uintptr_t address) {
  Mapping found;
  const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (maps < 0) return found;
  std::uintptr_t bounds[2] = {0, 0};  // the line's start and end
  int field = 0;                       // 0 and 1: in a bound; 2: past them
  char block[1024];
  for (;;) {
    const ssize_t count = ::read(maps, block, sizeof block);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0 || found.end != 0) break;
    for (ssize_t i = 0; i < count; ++i) {
      const char c = block[i];
      if (c == '\n') {
        if (bounds[0] <= address && address < bounds[1]) found = {bounds[0], bounds[1]};
        bounds[0] = bounds[1] = 0;
        field = 0;
      } else if (field < 2 && (c == '-' || c == ' ')) {
        ++field;
      } else if (field < 2) {
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        bounds[field] = bounds[field] * 16 + static_cast<std::uintptr_t>(digit);
      }
    }
  }
  ::close(maps);
  return found;
}

// The main thread's stack limit, as found and as raised for the run.
struct StackLimit {
  rlimit found{};
  bool raised = false;
};

// Grows the main thread's stack below at by as much of wanted bytes as its
// limit (the soft one raised toward the hard one; limit records it) and
// half of the address space left allow; the bytes it has below at then.
std::size_t growMainStack(std::uintptr_t at, std::size_t wanted, StackLimit& limit) {
  // The limit holds the whole mapping of the stack, the arguments and the
  // environment at its top included, down to the page its lowest byte is in.
  const Mapping stack = mappingOf(at);
  if (stack.end <= at || ::getrlimit(RLIMIT_STACK, &limit.found) != 0) return 0;
  const std::size_t used = stack.end - at + kPage;
  // What is mapped already (a page kept off its lowest end) needs no growth.
  const std::size_t mapped = at - stack.start > kPage ? at - stack.start - kPage : 0;
  std::size_t allowed = limit.found.rlim_cur == RLIM_INFINITY ? used + wanted : limit.found.rlim_cur;
  if (allowed < used + wanted) {
    rlimit raised = limit.found;
    raised.rlim_cur = limit.found.rlim_max == RLIM_INFINITY ? used + wanted
                                                            : std::min<rlim_t>(limit.found.rlim_max, used + wanted);
    if (raised.rlim_cur > limit.found.rlim_cur && ::setrlimit(RLIMIT_STACK, &raised) == 0) {
      limit.raised = true;
      allowed = raised.rlim_cur;
    }
  }
  std::size_t room = allowed > used ? std::min(wanted, allowed - used) : 0;
  room -= room % kPage;
  while (room > mapped && !addressSpaceHolds(2 * room)) room = room / 4 * 3 - room / 4 * 3 % kPage;
  if (room <= mapped) return std::min(wanted, mapped);
  touchStack(at - room);
  return room;
}

// Runs the analysis on the calling thread with the stack it can have now,
// nesting no deeper than that stack holds.
[[gnu::noinline]] void analyseOnCallingStack(void (*analysis)()) {
  const std::uintptr_t at = here();
  StackLimit limit;
  constexpr std::size_t kWanted = (kAnalysisStack + kPage - 1) / kPage * kPage;
  const std::size_t room = onMainThread() ? growMainStack(at, kWanted, limit) : stackBelow(at);
  const std::size_t levels = room > kStackMargin ? (room - kStackMargin) / kStackPerLevel : 0;
  nestingLimit = static_cast<int>(std::min<std::size_t>(kMaxNesting, levels));
  analysis();
  if (limit.raised) ::setrlimit(RLIMIT_STACK, &limit.found);
}

}  // namespace

void analyseOnReservedStack(void (*analysis)()) {
  if (!onMainThread() && stackBelow(here()) >= kAnalysisStack) return analysis();
  if (!analyseOnOwnThread(analysis)) analyseOnCallingStack(analysis);
}

#endif

}  // namespace plimbo

// Reading the source, and the wait on a descriptor that the reads of the
// source and the writes of the listing share.
#include <poll.h>  // poll: wait until a non-blocking descriptor is ready

#include <cerrno>

#include "lexer.h"

namespace vexa {

bool waitForDescriptor(int descriptor, short events) {
  if (errno == EINTR) return true;
  // (A stream without a descriptor, a memory stream, cannot be waited for.)
  if ((errno != EAGAIN && errno != EWOULDBLOCK) || descriptor < 0) return false;
  pollfd ready = {descriptor, events, 0};
  while (::poll(&ready, 1, -1) < 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

std::size_t readSource(char* into, std::size_t size) {
  for (;;) {
    const std::size_t count = std::fread(into, 1, size, file);
    if (count > 0 || !std::ferror(file)) return count;
    if (!waitForDescriptor(fileno(file), POLLIN)) return 0;  // the stream's error stays set
    std::clearerr(file);
  }
}

}  // namespace vexa

// The program's entry, and where its memory comes from: every operator new
// takes it from malloc, every operator delete gives it back with free. The
// stores allocate with the nothrow forms and take a null result for a
// shortage. (The library's own nothrow new calls the throwing one and
// catches its exception; under the smallest limits of memory not even that
// exception can be made, and the process would abort.)
#include <cstdlib>
#include <new>

#include "procedures.h"

void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void* operator new(std::size_t size) {
  if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

int main(int argc, char** argv) { return plimbo::run(argc, argv); }

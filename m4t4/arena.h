// Memory handed out in creation order from large blocks and released all at
// once: the variables' records and their long names (stores.cpp), the
// recorded tokens of the outermost loop (loop_stack.cpp) and their forms
// (forms.cpp). ARENA_BLOCK_SIZE overrides the size of a block; at 1, every
// piece gets a block of exactly its size, so that a memory checker sees a
// read past the end of any piece.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

namespace m4t4 {

class Arena {
 public:
  // size bytes aligned to alignment (a power of two); none when there is no
  // memory for them.
  void* allocate(std::size_t size, std::size_t alignment) {
    std::size_t skip = (alignment - reinterpret_cast<std::uintptr_t>(at_) % alignment) % alignment;
    if (at_ == nullptr || skip + size > left_) {
      const std::size_t blockSize = blockSizeFor(size, alignment);
      // Left uninitialised: every record is set field by field when carved.
      char* memory = new (std::nothrow) char[blockSize];
      if (memory == nullptr) return nullptr;
      auto* block = reinterpret_cast<Block*>(memory);
      block->previous = last_;
      last_ = block;
      at_ = memory + sizeof(Block);
      left_ = blockSize - sizeof(Block);
      skip = (alignment - reinterpret_cast<std::uintptr_t>(at_) % alignment) % alignment;
    }
    void* memory = at_ + skip;
    at_ += skip + size;
    left_ -= skip + size;
    return memory;
  }
  // The size of the block a piece starts when the newest block lacks room
  // for it: room for the piece after the head, aligned as asked.
  static constexpr std::size_t blockSizeFor(std::size_t size, std::size_t alignment) {
    return std::max(kBlockSize, sizeof(Block) + size + (alignment > alignof(Block) ? alignment : 0));
  }
  void release() {
    while (last_ != nullptr) {
      Block* block = last_;
      last_ = block->previous;
      delete[] reinterpret_cast<char*>(block);
    }
    at_ = nullptr;
    left_ = 0;
  }

 private:
  // The head of every block: the block made before it.
  struct alignas(std::max_align_t) Block {
    Block* previous;
  };
#ifdef ARENA_BLOCK_SIZE
  static constexpr std::size_t kBlockSize = ARENA_BLOCK_SIZE;
#else
  static constexpr std::size_t kBlockSize = std::size_t{1} << 16;
#endif
  Block* last_ = nullptr;  // the newest block
  char* at_ = nullptr;     // its first free byte
  std::size_t left_ = 0;   // its free bytes
};

}  // namespace m4t4

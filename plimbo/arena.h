// Memory handed out in creation order from large blocks and released all at
// once: the symbol records and their texts (stores.cpp) and the loop forms
// (forms.cpp).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

namespace plimbo {

class Arena {
 public:
  // size bytes aligned to alignment (at most kBlockAlignment); none when
  // there is no memory for them.
  void* allocate(std::size_t size, std::size_t alignment) {
    std::size_t skip = (alignment - reinterpret_cast<std::uintptr_t>(at_) % alignment) % alignment;
    if (at_ == nullptr || skip + size > left_) {
      const std::size_t blockSize = std::max(kBlockSize, sizeof(Block) + size + kBlockAlignment);
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
  static constexpr std::size_t kBlockSize = std::size_t{1} << 16;
  static constexpr std::size_t kBlockAlignment = 64;
  Block* last_ = nullptr;  // the newest block
  char* at_ = nullptr;     // its first free byte
  std::size_t left_ = 0;   // its free bytes
};

}  // namespace plimbo

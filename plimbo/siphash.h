// SipHash-c-d, the keyed hash the symbol table's index uses: with a secret
// random key, names cannot be chosen in advance so that their hashes collide.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace plimbo {

// The 128-bit key, as two 64-bit words.
struct HashKey {
  std::uint64_t k0 = 0;  // first 8 bytes, little-endian
  std::uint64_t k1 = 0;  // last 8 bytes, little-endian
};

namespace sip {

// The 8 bytes at `data` as a little-endian word.
inline std::uint64_t word(const char* data) {
  std::uint64_t w;
  std::memcpy(&w, data, sizeof w);
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}

// Masks that keep the first n bytes of a little-endian word, n = 0 to 7.
inline constexpr std::uint64_t kFirstBytes[8] = {
    0, 0xff, 0xffff, 0xffffff, 0xffffffff, 0xffffffffff, 0xffffffffffff, 0xffffffffffffff};

struct State {
  std::uint64_t v0, v1, v2, v3;  // the four state words
  void round() {
    v0 += v1;
    v1 = std::rotl(v1, 13);
    v1 ^= v0;
    v0 = std::rotl(v0, 32);
    v2 += v3;
    v3 = std::rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = std::rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = std::rotl(v1, 17);
    v1 ^= v2;
    v2 = std::rotl(v2, 32);
  }
  template <int kRounds>
  void compress(std::uint64_t m) {
    v3 ^= m;
    for (int i = 0; i < kRounds; ++i) round();
    v0 ^= m;
  }
};

}  // namespace sip

// SipHash with kCompressionRounds rounds per 8-byte word and kFinalRounds at
// the end (SipHash-1-3 for the index; the test checks SipHash-2-4's
// published values, which share every step) of the `length` bytes at `data`.
// The last partial word is read whole: the buffer must hold the 8 bytes from
// data + (length & ~7) on (the bytes past `length` do not count).
// (Inlined: it runs for every name scanned, from one call site.)
template <int kCompressionRounds, int kFinalRounds>
[[gnu::always_inline]] inline std::uint64_t sipHash(const HashKey& key, const char* data, std::size_t length) {
  sip::State s{key.k0 ^ 0x736f6d6570736575u, key.k1 ^ 0x646f72616e646f6du,
               key.k0 ^ 0x6c7967656e657261u, key.k1 ^ 0x7465646279746573u};
  const std::size_t whole = length & ~std::size_t{7};
  for (std::size_t i = 0; i < whole; i += 8) s.compress<kCompressionRounds>(sip::word(data + i));
  const std::uint64_t last = static_cast<std::uint64_t>(length & 0xff) << 56 |
                             (sip::word(data + whole) & sip::kFirstBytes[length - whole]);
  s.compress<kCompressionRounds>(last);
  s.v2 ^= 0xff;
  for (int i = 0; i < kFinalRounds; ++i) s.round();
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

}  // namespace plimbo

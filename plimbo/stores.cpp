// The symbol table (variables) and the value pushdown. Both are driven through
// the exchange buffers STAcces and PDAcces and change nothing while effects
// are suppressed.
//
// The symbol records are indexed by an open-addressing hash table of their
// names, so a search costs the same however many variables there are. The
// names are hashed with SipHash-1-3 (siphash.h) under a key drawn when the
// first run starts: names that would all land in one place can only be found
// knowing the key, and nothing a program prints or does depends on it.
// Records, the names too long to be held in them and the buffers of long value texts
// are carved from large blocks in the order they are made.
#include <array>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include <unistd.h>

#include "arena.h"
#include "procedures.h"

namespace plimbo {

namespace {

constexpr char kUndefinedValue[] = "not defined value";

SymbolRecord* SymbolTable_root = nullptr;  // newest symbol record

Arena recordArena;    // the symbol records
Arena nameArena;      // names too long for a record, each padded with NUL bytes to whole words
Arena longTextArena;  // the records' buffers of long value texts

// One entry of the index: the record, none when the slot is free. A search
// compares names only in the records its probes meet, mostly just the one
// it looks for: the table is at most half full.
using Slot = SymbolRecord*;

std::unique_ptr<Slot[]> slots;  // the index: slotCount slots, at most half of them used
std::size_t slotCount = 0;      // a power of two, or 0 before the first record
std::size_t symbolCount = 0;

// Names are read a word of 8 bytes at a time; the bytes after a name are
// masked off, so a name must be readable up to the end of its last word.
constexpr std::size_t kWord = 8;

std::uint64_t wordAt(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, kWord);
  return word;
}

// Masks that keep the first n characters of a word, n = 0 to 8.
constexpr auto kFirstCharacters = [] {
  std::array<std::uint64_t, kWord + 1> masks{};
  for (std::size_t n = 0; n < kWord; ++n) {
    const unsigned bits = static_cast<unsigned>(n) * 8;
    masks[n] = std::endian::native == std::endian::little ? (std::uint64_t{1} << bits) - 1
                                                          : ~(~std::uint64_t{0} >> bits);
  }
  masks[kWord] = ~std::uint64_t{0};
  return masks;
}();

// The word at p with only its first count (up to 8) characters; the rest
// are zero.
std::uint64_t firstCharacters(const char* p, std::size_t count) {
  return wordAt(p) & kFirstCharacters[count];
}

std::size_t paddedLength(std::size_t length) { return (length / kWord + 1) * kWord; }

// The key of the names' hash. It is drawn when the first run starts (a
// static initialiser would draw it before main, on whatever little stack
// the process was given) and kept for the runs after it; a test may set
// its own.
HashKey nameKey;
bool keyDrawn = false;

// A key from the system's random source; should that fail, one that differs
// from run to run all the same: the clock, and where this frame lies (moved
// by address-space randomisation).
HashKey randomKey() {
  std::uint64_t words[2];
  if (::getentropy(words, sizeof words) == 0) return {words[0], words[1]};
  const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return {now * 0x9E3779B97F4A7C15, now ^ reinterpret_cast<std::uintptr_t>(&words)};
}

// SipHash-1-3 of the name, readable up to the end of its last word.
[[gnu::always_inline]] inline std::uint64_t hashName(const char* name, std::size_t length) {
  return sipHash<1, 3>(nameKey, name, length);
}

// Whether a record's name (padded) is name, both length characters long.
bool sameName(const char* padded, const char* name, std::size_t length) {
  std::size_t i = 0;
  for (; i + kWord < length; i += kWord)
    if (wordAt(padded + i) != wordAt(name + i)) return false;
  return wordAt(padded + i) == firstCharacters(name + i, length - i);  // the last word
}

// The slot of name: the one holding its record, or the free one where it
// would go. The table must have a free slot.
[[gnu::always_inline]] inline Slot& slotOf(const char* name, std::size_t length, std::uint64_t hash) {
  const std::size_t mask = slotCount - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot& slot = slots[i];
    if (slot == nullptr || (slot->nameLength == length && sameName(slot->name(), name, length))) return slot;
  }
}

// Makes room for one more record: the table is kept at most half full. The
// records are put into a larger table by walking their list, which reads
// them in the order they lie in memory. False when there is no memory for
// it (the table is left as it was).
bool reserveSlot() {
  constexpr std::size_t kInitialSlots = 64;
  if ((symbolCount + 1) * 2 <= slotCount) return true;
  const std::size_t count = std::max(kInitialSlots, slotCount * 2);
  std::unique_ptr<Slot[]> larger(new (std::nothrow) Slot[count]());
  if (larger == nullptr) return false;
  slots = std::move(larger);
  slotCount = count;
  for (SymbolRecord* record = SymbolTable_root; record != nullptr; record = record->next)
    slotOf(record->name(), record->nameLength, hashName(record->name(), record->nameLength)) = record;
  return true;
}

// Creates the record of a name that is not in the table.
[[gnu::noinline]] SymbolRecord* create(const char* name, std::size_t length, std::uint64_t hash) {
  if (if_flag == 0) return nullptr;
  if (symbolCount >= kMaxSymbols) {
    refuseRecord("ST_insert", "prilis mnoho promennych");
    return nullptr;
  }
  void* memory = reserveSlot() ? recordArena.allocate(sizeof(SymbolRecord), alignof(SymbolRecord)) : nullptr;
  char* storedName = nullptr;
  if (memory != nullptr && length >= kInlineName) {
    storedName = static_cast<char*>(nameArena.allocate(paddedLength(length), kWord));
    if (storedName == nullptr) memory = nullptr;  // (the record's memory stays in its block)
  }
  if (memory == nullptr) {
    outOfMemory();
    return nullptr;
  }
  // Every field is set below; the value's text only as far as it is used.
  auto* record = new (memory) SymbolRecord;
  if (length < kInlineName) {
    std::memset(record->inlineName, 0, kInlineName);
    std::memcpy(record->inlineName, name, length);
  } else {
    const std::size_t padded = paddedLength(length);
    std::memset(storedName + padded - kWord, 0, kWord);
    std::memcpy(storedName, name, length);
    record->longName = storedName;
  }
  record->nameLength = static_cast<std::uint8_t>(length);
  static_assert(sizeof kUndefinedValue <= kInlineValue, "held in the record");
  std::memcpy(record->inlineText, kUndefinedValue, sizeof kUndefinedValue);
  record->length = sizeof kUndefinedValue - 1;
  record->numeric = false;
  record->textPending = false;
  record->number = 0;
  record->longText = nullptr;
  record->next = SymbolTable_root;
  SymbolTable_root = record;
  slotOf(name, length, hash) = record;
  ++symbolCount;
  return record;
}

// ST_insert of the name of length characters (at most a value text's),
// readable up to the end of its last word. Out of line: a replayed token
// knows its record and calls nothing.
[[gnu::noinline]] SymbolRecord* insert(const char* name, std::size_t length) {
  const std::uint64_t hash = hashName(name, length);
  if (slotCount != 0) {
    if (SymbolRecord* record = slotOf(name, length, hash)) return record;
  }
  return create(name, length, hash);
}

PushdownRecord* pushdownSpare = nullptr;  // popped records kept for the next pushes
std::size_t pushdownDepth = 0;            // records on the pushdown
// Records made: on the pushdown or on pushdownSpare (the spare ones are the
// difference, which no push or pop has to count).
std::size_t madeRecords = 0;

void releaseRecords(PushdownRecord*& list) {
  while (list != nullptr) {
    PushdownRecord* record = list;
    list = record->next;
    delete record;
  }
}

}  // namespace

std::size_t ST_size() { return symbolCount; }

std::uint64_t ST_hash(const char* name, std::size_t length) {
  char padded[kTokenTextSize] = {};
  length = std::min(length, kMaxValueLength);
  std::memcpy(padded, name, length);
  return hashName(padded, length);
}

void drawHashKey() {
  if (!keyDrawn) setHashKey(randomKey());
}

HashKey hashKey() { return nameKey; }

void setHashKey(HashKey key) {
  nameKey = key;
  keyDrawn = true;
}

ProbeLengths ST_probeLengths() {
  ProbeLengths lengths = {0, 0};
  const std::size_t mask = slotCount - 1;
  for (std::size_t i = 0; i < slotCount; ++i) {
    const SymbolRecord* record = slots[i];
    if (record == nullptr) continue;
    const std::size_t home = hashName(record->name(), record->nameLength) & mask;
    const std::size_t probes = ((i - home) & mask) + 1;
    lengths.longest = std::max(lengths.longest, probes);
    lengths.total += probes;
  }
  return lengths;
}

char* makeLongText() {
  constexpr std::size_t kLongTextSize = 256;  // a value text and room to spare, whole cache lines
  static_assert(kLongTextSize >= kValueSize);
  auto* text = static_cast<char*>(longTextArena.allocate(kLongTextSize, 64));
  if (text == nullptr) outOfMemory();
  return text;
}

SymbolRecord* lookUp(Token& token) {
  // The token's text has room for whole words up to its end; a name is cut
  // to a value text's length, as STAcces would cut it.
  if (token.symbol == nullptr)
    token.symbol = insert(token.text.data(), std::min<std::size_t>(token.length, kMaxValueLength));
  return token.symbol;
}

SymbolRecord* ST_insert() {
  char name[kTokenTextSize] = {};
  std::memcpy(name, STAcces.text.data(), STAcces.length);
  return insert(name, STAcces.length);
}

void ST_saveValue(SymbolRecord* record) {
  if (if_flag != 0 && record != nullptr) storeValue(*record, STAcces);
}

void ST_getValue() {
  if (if_flag == 0) return;
  SymbolRecord* record = ST_insert();
  if (record != nullptr) loadValue(STAcces, *record);
  writeText(STAcces);
}

void ST_free() {
  // The records and names go with the blocks they were carved from.
  SymbolTable_root = nullptr;
  slots.reset();
  slotCount = 0;
  symbolCount = 0;
  recordArena.release();
  nameArena.release();
  longTextArena.release();
}

Value* PD_pushSlot() {
  if (if_flag == 0) return nullptr;
  if (pushdownDepth >= kMaxPushdownDepth) {
    refuseRecord("PD_push", "prilis mnoho hodnot");
    return nullptr;
  }
  PushdownRecord* record = pushdownSpare;
  if (record != nullptr) {
    pushdownSpare = record->next;
  } else {
    record = new (std::nothrow) PushdownRecord;
    if (record == nullptr) {
      outOfMemory();
      return nullptr;
    }
    ++madeRecords;
  }
  ++pushdownDepth;
  record->next = Pushdown_root;
  Pushdown_root = record;
  return &record->value;
}

void PD_push() {
  if (Value* slot = PD_pushSlot()) copyValue(*slot, PDAcces);
}

void PD_drop() {
  PushdownRecord* record = Pushdown_root;
  if (if_flag == 0 || record == nullptr) return;
  Pushdown_root = record->next;
  record->next = pushdownSpare;  // kept for reuse, released by PD_free
  pushdownSpare = record;
  --pushdownDepth;
}

void PD_popInto(Value& to) {
  if (if_flag == 0) return;
  if (Pushdown_root == nullptr) {
    // Nothing to take (a call without arguments): the empty text.
    to.text[0] = '\0';
    to.length = 0;
    classify(to);
    return;
  }
  copyValue(to, Pushdown_root->value);
  PD_drop();
}

void PD_popInto(SymbolRecord& to) {
  if (if_flag == 0) return;
  if (Pushdown_root == nullptr) {
    // Nothing to take (a call without arguments): the empty text.
    to.inlineText[0] = '\0';
    to.length = 0;
    to.numeric = false;
    to.textPending = false;
    to.number = 0;
    return;
  }
  storeValue(to, Pushdown_root->value);
  PD_drop();
}

void PD_pop() {
  PD_popInto(PDAcces);
  writeText(PDAcces);
}

void PD_free() {
  releaseRecords(Pushdown_root);
  releaseRecords(pushdownSpare);
  pushdownDepth = 0;
  madeRecords = 0;
}

void ST_visit(bool (*visit)(const char* name, const Value& value, void* context), void* context) {
  for (const SymbolRecord* record = SymbolTable_root; record != nullptr; record = record->next) {
    Value value;
    loadValue(value, *record);
    writeText(value);
    if (!visit(record->name(), value, context)) return;
  }
}

void PD_visit(bool (*visit)(const Value& value, void* context), void* context) {
  for (const PushdownRecord* record = Pushdown_root; record != nullptr; record = record->next) {
    Value value;
    copyValue(value, record->value);
    writeText(value);
    if (!visit(value, context)) return;
  }
}

std::size_t PD_depth() { return pushdownDepth; }

bool PD_hasRoom(std::size_t values) {
  // As many spare records: a record is made only while none is spare and
  // the pushdown has room, so there are never more than the pushdown holds.
  return pushdownDepth + values <= madeRecords;
}

}  // namespace plimbo

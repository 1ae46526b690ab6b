// The value table (variables) and the value stack (intermediate values).
// Both obey the effects flag i2_priznak and exchange data through
// hodnota_tab and hodnota_zas.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include <unistd.h>

#include "arena.h"
#include "procedures.h"

namespace m4t4 {
namespace {

// The records by name: open addressing over a power-of-two number of slots,
// at most half of them used, each slot holding a record and 6 bits of its
// name's hash.
// Names are hashed with SipHash-1-3 under a key drawn once per process, so
// that no set of names can be made to collide in advance: a program whose
// names were chosen to collide under one key has them spread under another.
// Nothing reaches the output in slot order (the records are released by
// their list), so the output never depends on the key.
// A slot: the record's address, whose low 6 bits (zero, a record being
// 64-aligned) hold the top 6 bits of its name's hash, so that a probe passes
// most other records by without reading them; 0: the slot is free. (One word
// a slot: the index of the most records is 4 MiB, not 8.)
using Slot = std::uintptr_t;
constexpr Slot kTagBits = alignof(TableRecord) - 1;
static_assert(alignof(TableRecord) == 64, "a slot's tag is 6 bits");
Slot tagOf(std::uint64_t hash) { return static_cast<Slot>(hash >> 58); }
Slot slotFor(TableRecord* record, std::uint64_t hash) {
  return reinterpret_cast<Slot>(record) | tagOf(hash);
}
TableRecord* recordIn(Slot slot) { return reinterpret_cast<TableRecord*>(slot & ~kTagBits); }
Slot* slots = nullptr;
std::size_t slotMask = 0;        // number of slots - 1; 0 while there are none
int64_t recordCount = 0;         // records in the table
StackNode* spareNodes = nullptr;  // popped nodes kept for reuse by the next push
// Nodes made: on the stack or on spareNodes (the spare ones are the
// difference, which no push or pop has to count).
int64_t madeNodes = 0;
int64_t valueCount = 0;          // values on the stack
Arena recordArena;  // the table records
Arena nameArena;    // names too long for a record, each padded with NUL bytes to whole words
int64_t longTextCount = 0;  // records whose value has a Field of its own

constexpr std::size_t kWord = 8;
// The bytes a long name is kept in: its characters and its terminator,
// padded to whole words.
constexpr std::size_t paddedLength(std::size_t length) { return (length / kWord + 1) * kWord; }
constexpr std::size_t kUndefinedLength = std::char_traits<char>::length(kUndefinedValue);
static_assert(kUndefinedLength < kInlineValue, "a new record's value is held in it");

// The key of the names' hash. It is drawn when the first run starts (a
// static initialiser would draw it before main, on whatever little stack
// the process was given) and kept for the runs after it; a test may set
// its own.
HashKey hashKey;
bool keyDrawn = false;

// A key from the system's random source; should that fail, one that differs
// from run to run all the same: the clock, and where this frame lies (moved
// by address-space randomisation).
HashKey randomKey() {
  std::uint64_t words[2];
  if (::getentropy(words, sizeof words) == 0) return {words[0], words[1]};
  const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return {now * 0x9E3779B97F4A7C15u, now ^ reinterpret_cast<std::uintptr_t>(&words)};
}

// The hash of the `length` (at most 255) characters at `name`, which lies in
// a buffer of kTokenTextSize bytes, or of a record's inline name (its
// partial last word is read whole).
std::uint64_t hashOf(const char* name, std::size_t length) {
  return sipHash<1, 3>(hashKey, name, length);
}

// Places the record with `hash` in the first free slot from its home slot on.
void place(std::uint64_t hash, TableRecord* record) {
  std::size_t j = hash & slotMask;
  while (slots[j] != 0) j = (j + 1) & slotMask;
  slots[j] = slotFor(record, hash);
}

// Whether the `length` characters at `a` and at `b` are the same. Both are
// read by whole 8-byte words, as hashOf reads a name (the bytes past
// `length` in the last one do not count): a short name costs a word or two,
// not a call of memcmp.
bool sameName(const char* a, const char* b, std::size_t length) {
  const std::size_t whole = length & ~std::size_t{7};
  for (std::size_t i = 0; i < whole; i += 8) {
    if (sip::word(a + i) != sip::word(b + i)) return false;
  }
  return ((sip::word(a + whole) ^ sip::word(b + whole)) & sip::kFirstBytes[length - whole]) == 0;
}

// The slot of the record named by the `length` characters at `name`, or the
// free slot where it belongs. (Inlined: it runs for every name scanned.)
[[gnu::always_inline]] inline Slot& slotOf(const char* name, std::size_t length, std::uint64_t hash) {
  for (std::size_t i = hash & slotMask;; i = (i + 1) & slotMask) {
    Slot& slot = slots[i];
    if (slot == 0) return slot;
    if ((slot & kTagBits) == tagOf(hash)) {
      const TableRecord* record = recordIn(slot);
      if (record->nameLength == length && sameName(record->name(), name, length)) return slot;
    }
  }
}

// Twice the slots (64 at first); false when memory runs out. The records
// are placed again by their list, which reads them as they lie in memory.
bool grow() {
  std::size_t count = slotMask == 0 ? 64 : (slotMask + 1) * 2;
  Slot* larger = new (std::nothrow) Slot[count]();
  if (larger == nullptr) return false;
  delete[] slots;
  slots = larger;
  slotMask = count - 1;
  for (TableRecord* record = vrchol_tab; record != nullptr; record = record->next) {
    place(hashOf(record->name(), record->nameLength), record);
  }
  return true;
}

// lookUp of a name that has no record yet (its hash `hash`).
[[gnu::noinline]] TableRecord* addRecord(const char* name, std::size_t length, std::uint64_t hash) {
  if (i2_priznak == 0) return nullptr;
  // A new record, or null (and the run stopped) when the table is full or
  // memory runs out.
  if (recordCount >= kMaxVariables) {
    refuseRecord("Vloz_do_tab", "prilis mnoho promennych");
    return nullptr;
  }
  if (static_cast<std::size_t>(recordCount + 1) * 2 > slotMask + 1 && !grow()) {
    refuseRecord("Vloz_do_tab", "nedostatek pameti");
    return nullptr;
  }
  void* memory = recordArena.allocate(sizeof(TableRecord), alignof(TableRecord));
  char* storedName = nullptr;
  if (memory != nullptr && length >= kInlineName) {
    storedName = static_cast<char*>(nameArena.allocate(paddedLength(length), kWord));
    if (storedName == nullptr) memory = nullptr;  // (the record's memory stays in its block)
  }
  if (memory == nullptr) {
    refuseRecord("Vloz_do_tab", "nedostatek pameti");
    return nullptr;
  }
  // Every field is set below; the value's text only as far as it is used.
  auto* record = new (memory) TableRecord;
  if (length < kInlineName) {
    std::memset(record->inlineName, 0, kInlineName);
    std::memcpy(record->inlineName, name, length);
  } else {
    std::memset(storedName + paddedLength(length) - kWord, 0, kWord);
    std::memcpy(storedName, name, length);
    record->longName = storedName;
  }
  record->nameLength = static_cast<uint8_t>(length);
  std::memcpy(record->inlineText, kUndefinedValue, kUndefinedLength + 1);
  record->length = kUndefinedLength;
  record->hasLongText = false;
  record->setNumber({});
  record->next = vrchol_tab;
  vrchol_tab = record;
  ++recordCount;
  slotOf(name, length, hash) = slotFor(record, hash);
  return record;
}

// Vloz_do_tab for the `length` characters at `name` (at most 254), which
// lies in a buffer of kTokenTextSize bytes or is read by whole words up to
// its terminator (hashOf).
TableRecord* lookUp(const char* name, std::size_t length) {
  std::uint64_t hash = hashOf(name, length);
  if (slotMask != 0) {
    const Slot slot = slotOf(name, length, hash);
    if (slot != 0) return recordIn(slot);
  }
  return addRecord(name, length, hash);
}

// A record's value from `length` characters at `text` (at most 254), with
// `number`; false (and the run stopped) when memory runs out.
bool storeValue(TableRecord& record, const char* text, std::size_t length, KnownNumber number) {
  char* target = record.inlineText;
  if (record.hasLongText) {
    target = record.longText->data();
  } else if (length >= kInlineValue) {
    Field* field = new (std::nothrow) Field;
    if (field == nullptr) {
      refuseRecord("Vloz_obsah_tab", "nedostatek pameti");
      return false;
    }
    record.longText = field;  // (kept for every later value)
    record.hasLongText = true;
    ++longTextCount;
    target = field->data();
  }
  std::memmove(target, text, length);
  target[length] = '\0';
  record.length = static_cast<uint8_t>(length);
  record.setNumber(number);
  return true;
}

}  // namespace

TableRecord* Vloz_do_tab() {
  Text name{};  // (a token-sized buffer, which hashOf reads by whole words)
  copyText(name, hodnota_tab.data());
  return lookUp(name.data(), std::strlen(name.data()));
}

void Vloz_obsah_tab(TableRecord* record) {
  if (i2_priznak == 0 || record == nullptr) return;
  storeValue(*record, hodnota_tab.data(), std::strlen(hodnota_tab.data()), {});
}

void Nacti_obsah_tab() {
  if (i2_priznak == 0) return;
  TableRecord* record = Vloz_do_tab();
  if (record == nullptr) return copyText(hodnota_tab, "");
  if (record->textPending) {
    // The pending "%f" text of the record's number, kept in the record when
    // that takes no allocation (a text too long for the record, which has
    // no Field yet, is made again at the next read: a read never fails).
    char text[kFieldSize];
    const auto length = static_cast<std::size_t>(formatFixed(record->number, text, sizeof text));
    if (record->hasLongText || length < kInlineValue) {
      storeValue(*record, text, length, {true, false, record->number});  // no allocation: never fails
    }
    return copyText(hodnota_tab, text);
  }
  copyText(hodnota_tab, record->text());
}

void drawHashKey() {
  if (!keyDrawn) setHashKey(randomKey());
}

void setHashKey(const HashKey& key) {
  hashKey = key;
  keyDrawn = true;
  if (slotMask == 0) return;
  std::fill(slots, slots + slotMask + 1, Slot{0});
  for (TableRecord* record = vrchol_tab; record != nullptr; record = record->next) {
    place(hashOf(record->name(), record->nameLength), record);
  }
}

std::uint64_t nameHash(const char* name, std::size_t length) {
  Text text{};
  std::memcpy(text.data(), name, std::min(length, kTokenTextSize - 1));
  return hashOf(text.data(), std::min(length, kTokenTextSize - 1));
}

std::size_t indexSlots() { return slotMask == 0 ? 0 : slotMask + 1; }

std::size_t longestProbe() {
  std::size_t longest = 0;
  for (std::size_t i = 0; i < indexSlots(); ++i) {
    if (slots[i] == 0) continue;
    const TableRecord* record = recordIn(slots[i]);
    const std::uint64_t hash = hashOf(record->name(), record->nameLength);
    longest = std::max(longest, static_cast<std::size_t>((i - hash) & slotMask) + 1);
  }
  return longest;
}

void Uvolni_tab() {
  delete[] slots;
  slots = nullptr;
  slotMask = 0;
  recordCount = 0;
  // (The records are read only while some of them have a Field left.)
  for (TableRecord* record = vrchol_tab; record != nullptr && longTextCount > 0; record = record->next) {
    if (record->hasLongText) {
      delete record->longText;
      --longTextCount;
    }
  }
  vrchol_tab = nullptr;
  recordArena.release();
  nameArena.release();
}

namespace {

// newValueNode when no spare node waits, the stack is full or effects are off.
[[gnu::noinline, gnu::cold]] StackNode* newValueNodeSlowly() {
  if (i2_priznak == 0) return nullptr;
  if (valueCount >= kMaxValues) {
    refuseRecord("Vloz_do_zas", "prilis mnoho hodnot");
    return nullptr;
  }
  StackNode* node = spareNodes;
  if (node != nullptr) {
    spareNodes = node->next;
  } else {
    node = new (std::nothrow) StackNode;
    if (node == nullptr) {
      refuseRecord("Vloz_do_zas", "nedostatek pameti");
      return nullptr;
    }
    ++madeNodes;
  }
  ++valueCount;
  node->next = vrchol_zas;
  vrchol_zas = node;
  return node;
}

}  // namespace

StackNode* newValueNode() {
  StackNode* node = spareNodes;
  if (i2_priznak == 0 || node == nullptr || valueCount >= kMaxValues) return newValueNodeSlowly();
  spareNodes = node->next;
  ++valueCount;
  node->next = vrchol_zas;
  vrchol_zas = node;
  return node;
}

namespace {

// Makes `node` the value `length` characters at `text` with `number`.
inline void fillNode(StackNode& node, const char* text, std::size_t length, KnownNumber number) {
  length = std::min(length, kValueSize - 1);  // a value keeps 254 characters
  if (number.textPending) {  // (a pending text is not there to copy)
    node.text[0] = '\0';
  } else if (length < kShortText) {
    // Most values are short: one fixed-size copy, which `text` (a buffer
    // of at least kShortText bytes) allows.
    std::memcpy(node.text.data(), text, kShortText);
  } else {
    std::memcpy(node.text.data(), text, length);
  }
  node.text[length] = '\0';
  node.length = length;
  node.number = number;
}

[[gnu::noinline, gnu::cold]] void pushValueSlowly(const char* text, std::size_t length,
                                                  KnownNumber number) {
  if (StackNode* node = newValueNodeSlowly()) fillNode(*node, text, length, number);
}

}  // namespace

void pushValue(const char* text, std::size_t length, KnownNumber number) {
  StackNode* node = spareNodes;
  // (The common case, a spare node to fill, calls nothing.)
  if (i2_priznak == 0 || node == nullptr || valueCount >= kMaxValues) {
    return pushValueSlowly(text, length, number);
  }
  spareNodes = node->next;
  ++valueCount;
  node->next = vrchol_zas;
  vrchol_zas = node;
  fillNode(*node, text, length, number);
}

void dropValues(int count) {
  for (; count > 0 && vrchol_zas != nullptr; --count) {
    StackNode* node = vrchol_zas;
    vrchol_zas = node->next;
    --valueCount;
    node->next = spareNodes;
    spareNodes = node;
  }
}

bool valueStackHasRoom(int64_t count) {
  // As many spare nodes: a node is made only while none is spare and the
  // stack has room, so there are never more than the stack holds.
  return valueCount + count <= madeNodes;
}

void Vloz_do_zas() { pushValue(hodnota_zas.data(), std::strlen(hodnota_zas.data()), {}); }

KnownNumber popInto(char* target, std::size_t size) {
  if (i2_priznak == 0) return {};
  if (vrchol_zas == nullptr) {  // a call without arguments used as a value
    target[0] = '\0';  // unit test Stores.StackIsLastInFirstOutAndEmptyPopGivesEmptyText
    return {};
  }
  writePendingText(vrchol_zas->text, vrchol_zas->length, vrchol_zas->number);
  std::size_t length = std::min(vrchol_zas->length, size - 1);
  std::memcpy(target, vrchol_zas->text.data(), length);
  target[length] = '\0';
  KnownNumber number = vrchol_zas->number;
  dropValues(1);
  return number;
}

void storeResult(TableRecord& record, const char* text, std::size_t length, KnownNumber number) {
  if (number.textPending) {  // (a pending text is not there to copy)
    record.length = 0;
    record.setNumber(number);
  } else {
    storeValue(record, text, length, number);
  }
}

void popIntoRecord(TableRecord& record) {
  if (i2_priznak == 0) return;
  StackNode* node = vrchol_zas;
  if (node == nullptr) {  // a call without arguments used as a value
    storeValue(record, "", 0, {});
    return;
  }
  storeResult(record, node->text.data(), node->length, node->number);
  dropValues(1);
}

void Uber_ze_zas() { popInto(hodnota_zas); }

void pushVariable(Token& token) {
  if (i2_priznak == 0) return;
  TableRecord* record = recordOf(token);  // created when missing, as Nacti_obsah_tab does
  static constexpr char kEmpty[kShortText] = {};
  if (record == nullptr) return pushValue(kEmpty, 0, {});
  pushValue(record->text(), record->length, record->knownNumber());
}

TableRecord* lookUpToken(Token& token) {
  // (The name as the exchange buffer would hold it: its first 254 characters.)
  token.record = lookUp(token.text.data(), std::min<std::size_t>(token.length, kValueSize - 1));
  return token.record;
}

namespace {

void releaseNodes(StackNode*& top) {
  while (top != nullptr) {
    StackNode* next = top->next;
    delete top;
    top = next;
  }
}

}  // namespace

void Uvolni_zas() {
  releaseNodes(vrchol_zas);
  releaseNodes(spareNodes);
  valueCount = 0;
  madeNodes = 0;
}

namespace {

// The text of a value as the program prints it: text, or the "%f" text of
// number that is still to be written (made in room).
std::size_t printedText(const char*& text, std::size_t length, const KnownNumber& number, Field& room) {
  if (!number.textPending) return length;
  text = room.data();
  return std::min(static_cast<std::size_t>(formatFixed(number.value, room.data(), room.size())), room.size() - 1);
}

}  // namespace

std::size_t printedValue(const TableRecord& record, const char*& text, Field& room) {
  text = record.text();
  return printedText(text, record.length, record.knownNumber(), room);
}

void visitTable(bool (*visit)(const char* name, const char* value, std::size_t length, void* context),
                void* context) {
  Field room;
  for (const TableRecord* record = vrchol_tab; record != nullptr; record = record->next) {
    const char* text = nullptr;
    const std::size_t length = printedValue(*record, text, room);
    if (!visit(record->name(), text, length, context)) return;
  }
}

void visitStack(bool (*visit)(const char* value, std::size_t length, void* context), void* context) {
  Field room;
  for (const StackNode* node = vrchol_zas; node != nullptr; node = node->next) {
    const char* text = node->text.data();
    const std::size_t length = printedText(text, node->length, node->number, room);
    if (!visit(text, length, context)) return;
  }
}

std::size_t tableSize() { return static_cast<std::size_t>(recordCount); }

std::size_t stackDepth() { return static_cast<std::size_t>(valueCount); }

}  // namespace m4t4

// The symbol table (variables) and the value pushdown. Both are driven through
// the exchange buffers STAcces and PDAcces and change nothing while effects
// are suppressed.
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "procedures.h"

namespace plimbo {

namespace {

constexpr char kUndefinedValue[] = "not defined value";

SymbolRecord* SymbolTable_root = nullptr;  // newest symbol record

// Name -> record; the keys point into the records' names.
std::unordered_map<std::string_view, SymbolRecord*> symbolIndex;
PushdownRecord* pushdownSpare = nullptr;  // popped records kept for the next pushes
std::size_t pushdownDepth = 0;            // records on the pushdown

SymbolRecord* findSymbol(const char* name, std::size_t length) {
  auto it = symbolIndex.find(std::string_view(name, length));
  return it == symbolIndex.end() ? nullptr : it->second;
}

void releaseRecords(PushdownRecord*& list) {
  while (list != nullptr) {
    PushdownRecord* record = list;
    list = record->next;
    delete record;
  }
}

}  // namespace

std::size_t ST_size() { return symbolIndex.size(); }

SymbolRecord* lookUp(Token& token) {
  if (token.symbol == nullptr) {
    setText(STAcces, token.text.data(), token.length);
    token.symbol = ST_insert();
  }
  return token.symbol;
}

SymbolRecord* ST_insert() {
  SymbolRecord* record = findSymbol(STAcces.text.data(), STAcces.length);
  if (record != nullptr || if_flag == 0) return record;
  if (symbolIndex.size() >= kMaxSymbols) {
    refuseRecord("ST_insert", "prilis mnoho promennych");
    return nullptr;
  }
  record = new SymbolRecord;
  std::memcpy(record->name.data(), STAcces.text.data(), STAcces.length + 1);
  setText(record->value, kUndefinedValue, sizeof kUndefinedValue - 1);
  classify(record->value);
  record->next = SymbolTable_root;
  SymbolTable_root = record;
  symbolIndex.emplace(std::string_view(record->name.data(), STAcces.length), record);
  return record;
}

void ST_saveValue(SymbolRecord* record) {
  if (if_flag != 0 && record != nullptr) copyValue(record->value, STAcces);
}

void ST_getValue() {
  if (if_flag == 0) return;
  SymbolRecord* record = ST_insert();
  if (record != nullptr) copyValue(STAcces, record->value);
}

void ST_free() {
  symbolIndex.clear();
  while (SymbolTable_root != nullptr) {
    SymbolRecord* record = SymbolTable_root;
    SymbolTable_root = record->next;
    delete record;
  }
}

Value* PD_pushSlot() {
  if (if_flag == 0) return nullptr;
  if (pushdownDepth >= kMaxPushdownDepth) {
    refuseRecord("PD_push", "prilis mnoho hodnot");
    return nullptr;
  }
  PushdownRecord* record = pushdownSpare;
  if (record != nullptr)
    pushdownSpare = record->next;
  else
    record = new PushdownRecord;
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

void PD_pop() { PD_popInto(PDAcces); }

void PD_free() {
  releaseRecords(Pushdown_root);
  releaseRecords(pushdownSpare);
  pushdownDepth = 0;
}

}  // namespace plimbo

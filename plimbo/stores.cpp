// The symbol table (variables) and the value pushdown. Both are driven through
// the exchange buffers STAcces and PDAcces and change nothing while effects
// are suppressed.
#include "procedures.h"

namespace plimbo {

namespace {

constexpr const char* kUndefinedValue = "not defined value";

SymbolRecord* findSymbol() {
  auto it = symbolIndex.find(std::string_view(STAcces.data()));
  return it == symbolIndex.end() ? nullptr : it->second;
}

}  // namespace

SymbolRecord* ST_insert() {
  SymbolRecord* record = findSymbol();
  if (record != nullptr || if_flag == 0) return record;
  if (symbolIndex.size() >= kMaxSymbols) {
    refuseRecord("ST_insert", "prilis mnoho promennych");
    return nullptr;
  }
  record = new SymbolRecord;
  copy_text(record->name, STAcces.data());
  copy_text(record->value, kUndefinedValue);
  record->next = SymbolTable_root;
  SymbolTable_root = record;
  symbolIndex.emplace(std::string_view(record->name.data()), record);
  return record;
}

void ST_saveValue(SymbolRecord* record) {
  if (if_flag != 0 && record != nullptr) copy_text(record->value, STAcces.data());
}

void ST_getValue() {
  if (if_flag == 0) return;
  SymbolRecord* record = ST_insert();
  if (record != nullptr) copy_text(STAcces, record->value.data());
}

void ST_free() {
  symbolIndex.clear();
  while (SymbolTable_root != nullptr) {
    SymbolRecord* record = SymbolTable_root;
    SymbolTable_root = record->next;
    delete record;
  }
}

void PD_push() {
  if (if_flag == 0) return;
  if (pushdownDepth >= kMaxPushdownDepth) return refuseRecord("PD_push", "prilis mnoho hodnot");
  ++pushdownDepth;
  PushdownRecord* record = Pushdown_spare;
  if (record != nullptr)
    Pushdown_spare = record->next;
  else
    record = new PushdownRecord;
  copy_text(record->value, PDAcces.data());
  record->next = Pushdown_root;
  Pushdown_root = record;
}

void PD_pop() {
  if (if_flag == 0) return;
  PushdownRecord* record = Pushdown_root;
  if (record == nullptr) {
    PDAcces[0] = '\0';
    return;
  }
  copy_text(PDAcces, record->value.data());
  Pushdown_root = record->next;
  record->next = Pushdown_spare;  // kept for reuse, released by PD_free
  Pushdown_spare = record;
  --pushdownDepth;
}

namespace {

void releaseRecords(PushdownRecord*& list) {
  while (list != nullptr) {
    PushdownRecord* record = list;
    list = record->next;
    delete record;
  }
}

}  // namespace

void PD_free() {
  releaseRecords(Pushdown_root);
  releaseRecords(Pushdown_spare);
  pushdownDepth = 0;
}

}  // namespace plimbo

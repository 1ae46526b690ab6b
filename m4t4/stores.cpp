// The value table (variables) and the value stack (intermediate values).
// Both obey the effects flag i2_priznak and exchange data through
// hodnota_tab and hodnota_zas.
#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>
#include <unordered_map>

#include "procedures.h"

namespace m4t4 {
namespace {

std::unordered_map<std::string_view, TableRecord*> recordIndex;  // records by name
int64_t recordCount = 0;         // records in the table
StackNode* spareNodes = nullptr;  // popped nodes kept for reuse by the next push
int64_t valueCount = 0;          // values on the stack

TableRecord* find(const char* name) {
  auto it = recordIndex.find(std::string_view(name));
  return it == recordIndex.end() ? nullptr : it->second;
}

// A new record, or null (and the run stopped) when the table is full or
// memory runs out.
TableRecord* create(const char* name) {
  if (recordCount >= kMaxVariables) {
    refuseRecord("Vloz_do_tab", "prilis mnoho promennych");
    return nullptr;
  }
  TableRecord* record = nullptr;
  try {
    record = new TableRecord;
    copyText(record->name, name);
    recordIndex.emplace(std::string_view(record->name.data()), record);
  } catch (const std::bad_alloc&) {
    delete record;
    refuseRecord("Vloz_do_tab", "nedostatek pameti");
    return nullptr;
  }
  copyText(record->value, kUndefinedValue);
  record->length = std::strlen(kUndefinedValue);
  record->next = vrchol_tab;
  vrchol_tab = record;
  ++recordCount;
  return record;
}

}  // namespace

TableRecord* Vloz_do_tab() {
  TableRecord* record = find(hodnota_tab.data());
  if (record != nullptr || i2_priznak == 0) return record;
  return create(hodnota_tab.data());
}

void Vloz_obsah_tab(TableRecord* record) {
  if (i2_priznak == 0 || record == nullptr) return;
  copyText(record->value, hodnota_tab.data());
  record->length = std::strlen(record->value.data());
  record->number = {};
}

void Nacti_obsah_tab() {
  if (i2_priznak == 0) return;
  TableRecord* record = Vloz_do_tab();
  if (record != nullptr) writePendingText(record->value, record->length, record->number);
  copyText(hodnota_tab, record != nullptr ? record->value.data() : "");
}

void Uvolni_tab() {
  recordIndex.clear();
  recordCount = 0;
  while (vrchol_tab != nullptr) {
    TableRecord* next = vrchol_tab->next;
    delete vrchol_tab;
    vrchol_tab = next;
  }
}

StackNode* newValueNode() {
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
  }
  ++valueCount;
  node->next = vrchol_zas;
  vrchol_zas = node;
  return node;
}

[[gnu::flatten]] void pushValue(const char* text, std::size_t length, KnownNumber number) {
  StackNode* node = newValueNode();
  if (node == nullptr) return;
  length = std::min(length, kValueSize - 1);  // a value keeps 254 characters
  if (length < kShortText) {
    // Most values are short: one fixed-size copy, which `text` (a buffer
    // of at least kShortText bytes) allows.
    std::memcpy(node->text.data(), text, kShortText);
  } else {
    std::memcpy(node->text.data(), text, length);
  }
  node->text[length] = '\0';
  node->length = length;
  node->number = number;
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

void popIntoRecord(TableRecord& record) {
  if (i2_priznak == 0) return;
  StackNode* node = vrchol_zas;
  if (node == nullptr) {  // a call without arguments used as a value
    record.value[0] = '\0';
    record.length = 0;
    record.number = {};
    return;
  }
  std::memcpy(record.value.data(), node->text.data(), node->length + 1);
  record.length = node->length;
  record.number = node->number;
  dropValues(1);
}

void Uber_ze_zas() { popInto(hodnota_zas); }

void pushVariable(Token& token) {
  if (i2_priznak == 0) return;
  TableRecord* record = recordOf(token);  // created when missing, as Nacti_obsah_tab does
  static constexpr char kEmpty[kShortText] = {};
  if (record == nullptr) return pushValue(kEmpty, 0, {});
  pushValue(record->value.data(), record->length, record->number);
}

TableRecord* recordOf(Token& token) {
  if (token.record == nullptr) {
    copyText(hodnota_tab, token.text.data());
    token.record = Vloz_do_tab();
  }
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
}

}  // namespace m4t4

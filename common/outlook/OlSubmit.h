#pragma once

#include <cstdint>

// The submit step of every Outlook data type: a record whose counterpart differs updates it (the
// stored record takes the submitted values but keeps its own Outlook item), a new one is added
// as an item and then to the manager, an unchanged one is skipped (false).
template <class Manager, class Record, class Util>
bool OlSubmitRecord(Manager& records, const Record& record, Util& util) {
  const Record* match = nullptr;
  std::int32_t position = 0;
  const int result = records.Lookup(&record, &match, &position);
  if (result == kLookupDiff) {
    records.UpdateAt(&record, position);
    util.UpdateRecord(records.At(position), position);
    return true;
  }
  if (result != kLookupNew) return false;
  Record copy(record);
  copy.NativeRecord.reset();
  util.AddRecord(&copy);
  records.Add(&copy);
  return true;
}

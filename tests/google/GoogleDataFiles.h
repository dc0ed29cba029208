#pragma once

#include <string>
#include <vector>

#include "TestUtil.h"
#include "misc/CxFile.h"

// A helper data file as our own writer makes it: an int32 count, then the records.
template <class Record, class Writer>
std::string DataFileBytes(const std::vector<Record>& records, Writer write) {
  TempDir dir;
  std::string path = dir.file("data");
  {
    CxFile f;
    f.Open(path, "wb");
    f.WriteInt32(static_cast<std::int32_t>(records.size()));
    for (const Record& r : records) write(f, r);
  }
  return ReadFile(path);
}

// The records of a data file, read back with our own reader.
template <class Record, class Reader>
std::vector<Record> DataFileRecords(const std::string& path, Reader read) {
  std::vector<Record> records;
  CxFile f;
  std::int32_t count = 0;
  if (!f.Open(path, "rb") || !f.ReadInt32(count)) return records;
  for (std::int32_t i = 0; i < count; ++i) {
    Record r;
    if (!read(f, r)) break;
    records.push_back(r);
  }
  return records;
}

// One parameter entry of the helper's parameter file: key, text type, counted text.
inline std::string TextParam(std::int32_t key, const std::string& value) {
  std::string s;
  auto i32 = [&](std::int32_t v) {
    for (int i = 0; i < 4; ++i)
      s += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  };
  i32(key);
  i32(8);
  i32(static_cast<std::int32_t>(value.size()));
  return s + value;
}

#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Readers for the text that other programs print for the sample files.

// A value in Python's repr syntax: numbers, strings, booleans, lists/tuples and dicts.
struct PyValue {
  enum Kind { kNone, kInt, kStr, kBool, kList, kDict } kind = kNone;
  std::int64_t integer = 0;
  std::string str;
  std::vector<PyValue> items;
  std::map<std::string, PyValue> dict;

  const PyValue& operator[](const std::string& key) const;  // kNone when absent
  std::int64_t Int() const { return kind == kBool ? (str == "True") : integer; }
};

// Parses one repr expression; false on a syntax error.
bool ParsePyRepr(const std::string& text, PyValue& out);

// One date-book record as "[('key', value), ...]" turned into a dict.
struct PalmFileSection {
  std::string file;
  std::size_t declaredRecords = 0;
  std::vector<PyValue> records;
};
std::vector<PalmFileSection> ReadPalmFileDump(const std::string& path);

// The Android-ToDo importer's dump.
struct TrevinTodo {
  std::int64_t id = 0;
  std::int64_t categoryIndex = 0;
  bool isPrivate = false;
  std::string description;
  std::int64_t dueDate = 0;
  bool completed = false;
  std::int64_t priority = 0;
  std::string note;
  bool hasLayout2Fields = false;
  std::int64_t completionDate = 0;
  bool hasAlarm = false;
  std::int64_t alarmDaysInAdvance = 0;
};
struct TrevinCategory {
  std::int64_t index = 0;
  std::int64_t id = 0;
  std::string name;
};
struct TrevinSection {
  std::string file;
  int version = 0;
  bool error = false;
  std::size_t declaredRecords = 0;
  std::vector<TrevinCategory> categories;
  std::vector<TrevinTodo> todos;
};
std::vector<TrevinSection> ReadTrevinDump(const std::string& path);

// "Tue, 20 Jan 2026 08:00:00 GMT" as seconds since 1970.
std::int64_t ParseRfc1123(const std::string& text);

#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "lotus/LNRecords.h"

// A Notes record as an object of the store's document: one member per field of the record's
// field list, named as the list names it. The two marks of the data file are the exchange's, not
// the database's: they are never stored.
namespace notes_json {

inline bool IsMark(const char* name) {
  return std::strcmp(name, "Change Mark") == 0 || std::strcmp(name, "Action") == 0;
}

struct Writer {
  nlohmann::json& out;

  static nlohmann::json Value(const std::int32_t& v) { return v; }
  static nlohmann::json Value(const bool& v) { return v; }
  static nlohmann::json Value(const OleDate& v) { return v.value; }
  template <std::size_t N>
  static nlohmann::json Value(const FixedText<N>& v) {
    return std::string(v.view());
  }
  template <class T, std::size_t N>
  static nlohmann::json Value(const std::array<T, N>& a) {
    nlohmann::json list = nlohmann::json::array();
    for (const T& e : a) list.push_back(Value(e));
    return list;
  }
  template <class T>
  void operator()(const char* name, const T& field) {
    if (!IsMark(name)) out[name] = Value(field);
  }
};

// Reads what it can; every member of the wrong kind and every text cut to its field is named in
// `problems` ("Body: cut to 8,191 bytes").
struct Reader {
  const nlohmann::json& in;
  std::vector<std::string>& problems;

  bool Value(const char* name, const nlohmann::json& j, std::int32_t& v) {
    if (!j.is_number_integer()) return Wrong(name, "a whole number");
    auto n = j.get<std::int64_t>();
    if (n < INT32_MIN || n > INT32_MAX) return Wrong(name, "a 32-bit number");
    v = static_cast<std::int32_t>(n);
    return true;
  }
  bool Value(const char* name, const nlohmann::json& j, bool& v) {
    if (j.is_boolean()) {
      v = j.get<bool>();
      return true;
    }
    if (j.is_number_integer()) {
      v = j.get<std::int64_t>() != 0;
      return true;
    }
    return Wrong(name, "true or false");
  }
  bool Value(const char* name, const nlohmann::json& j, OleDate& v) {
    if (!j.is_number()) return Wrong(name, "a date number");
    v = OleDate(j.get<double>());
    return true;
  }
  template <std::size_t N>
  bool Value(const char* name, const nlohmann::json& j, FixedText<N>& v) {
    if (!j.is_string()) return Wrong(name, "text");
    const auto& s = j.get_ref<const std::string&>();
    v = s;
    if (v.size() < s.size())
      problems.push_back(std::string(name) + ": cut to " + std::to_string(v.size()) + " bytes");
    return true;
  }
  template <class T, std::size_t N>
  bool Value(const char* name, const nlohmann::json& j, std::array<T, N>& a) {
    if (!j.is_array()) return Wrong(name, "a list");
    if (j.size() > N)
      problems.push_back(std::string(name) + ": only the first " + std::to_string(N) +
                         " entries kept");
    for (std::size_t i = 0; i < N && i < j.size(); ++i) Value(name, j[i], a[i]);
    return true;
  }
  bool Wrong(const char* name, const char* kind) {
    problems.push_back(std::string(name) + ": not " + kind);
    return false;
  }
  template <class T>
  void operator()(const char* name, T& field) {
    if (IsMark(name)) return;
    auto it = in.find(name);
    if (it != in.end() && !it->is_null()) Value(name, *it, field);
  }
};

}  // namespace notes_json

// Sets the record's members of `object` (others are kept: they are the database's own).
template <class Record>
void NotesRecordToJson(const Record& record, nlohmann::json& object) {
  notes_json::Writer w{object};
  Record::VisitFields(record, w);
}

// `record` starts empty; `problems` names what could not be taken as it was.
template <class Record>
void NotesRecordFromJson(const nlohmann::json& object, Record& record,
                         std::vector<std::string>& problems) {
  record = Record();
  notes_json::Reader r{object, problems};
  Record::VisitFields(record, r);
}

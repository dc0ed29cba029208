#include "json/RecordJson.h"

#include <limits>
#include <stdexcept>
#include <type_traits>

namespace {

using ojson = nlohmann::ordered_json;
using json = nlohmann::json;

struct JsonError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

template <class T>
struct IsFixedText : std::false_type {};
template <std::size_t N>
struct IsFixedText<FixedText<N>> : std::true_type {};

template <class T>
concept Visitable = requires(T& t) {
  T::VisitFields(t, [](std::string_view, auto&) {});
};

// ---- writing

ojson Write(const SYSTEMTIME& st);
template <class T>
ojson Write(const T& value);

template <class T>
ojson WriteObject(const T& record) {
  ojson o = ojson::object();
  T::VisitFields(record, [&](std::string_view name, const auto& field) {
    o[std::string(name)] = Write(field);
  });
  return o;
}

ojson Write(const SYSTEMTIME& st) {
  return ojson{{"wYear", st.wYear},           {"wMonth", st.wMonth},
               {"wDayOfWeek", st.wDayOfWeek}, {"wDay", st.wDay},
               {"wHour", st.wHour},           {"wMinute", st.wMinute},
               {"wSecond", st.wSecond},       {"wMilliseconds", st.wMilliseconds}};
}

template <class T>
ojson Write(const T& value) {
  if constexpr (IsFixedText<T>::value) {
    return std::string(value.view());
  } else if constexpr (std::is_same_v<T, OleDate>) {
    return value.value;
  } else if constexpr (std::is_integral_v<T>) {
    return static_cast<long long>(value);
  } else if constexpr (Visitable<T>) {
    return WriteObject(value);
  } else {
    ojson a = ojson::array();
    for (const auto& e : value) a.push_back(Write(e));
    return a;
  }
}

// ---- reading

void Read(const json& j, SYSTEMTIME& st, const std::string& where);
template <class T>
void Read(const json& j, T& value, const std::string& where);

template <class T>
void ReadObject(const json& j, T& record, const std::string& where) {
  if (!j.is_object()) throw JsonError(where + "expected an object");
  std::size_t used = 0;
  T::VisitFields(record, [&](std::string_view name, auto& field) {
    auto it = j.find(std::string(name));
    if (it == j.end()) return;
    ++used;
    Read(*it, field, where + std::string(name) + ": ");
  });
  if (used == j.size()) return;
  for (auto it = j.begin(); it != j.end(); ++it) {
    bool known = false;
    T::VisitFields(record,
                   [&](std::string_view name, auto&) { known = known || name == it.key(); });
    if (!known) throw JsonError(where + "unknown key \"" + it.key() + "\"");
  }
}

template <class Int>
Int ReadInt(const json& j, const std::string& where) {
  if (!j.is_number_integer()) throw JsonError(where + "expected an integer");
  if (j.is_number_unsigned()) {
    auto v = j.get<std::uint64_t>();
    if (v > static_cast<std::uint64_t>(std::numeric_limits<Int>::max()))
      throw JsonError(where + "integer out of range");
    return static_cast<Int>(v);
  }
  auto v = j.get<std::int64_t>();
  if (v < static_cast<std::int64_t>(std::numeric_limits<Int>::min()) ||
      (v > 0 &&
       static_cast<std::uint64_t>(v) > static_cast<std::uint64_t>(std::numeric_limits<Int>::max())))
    throw JsonError(where + "integer out of range");
  return static_cast<Int>(v);
}

void Read(const json& j, SYSTEMTIME& st, const std::string& where) {
  if (!j.is_object()) throw JsonError(where + "expected an object");
  std::pair<const char*, std::uint16_t*> members[] = {
      {"wYear", &st.wYear},           {"wMonth", &st.wMonth},
      {"wDayOfWeek", &st.wDayOfWeek}, {"wDay", &st.wDay},
      {"wHour", &st.wHour},           {"wMinute", &st.wMinute},
      {"wSecond", &st.wSecond},       {"wMilliseconds", &st.wMilliseconds}};
  for (auto it = j.begin(); it != j.end(); ++it) {
    bool known = false;
    for (auto& [name, member] : members)
      if (it.key() == name) {
        *member = ReadInt<std::uint16_t>(*it, where + name + ": ");
        known = true;
      }
    if (!known) throw JsonError(where + "unknown key \"" + it.key() + "\"");
  }
}

template <class T>
void Read(const json& j, T& value, const std::string& where) {
  if constexpr (IsFixedText<T>::value) {
    if (!j.is_string()) throw JsonError(where + "expected a string");
    value = j.get_ref<const std::string&>();
  } else if constexpr (std::is_same_v<T, OleDate>) {
    if (!j.is_number()) throw JsonError(where + "expected a number");
    value = OleDate(j.get<double>());
  } else if constexpr (std::is_integral_v<T>) {
    value = ReadInt<T>(j, where);
  } else if constexpr (Visitable<T>) {
    ReadObject(j, value, where);
  } else if constexpr (std::is_same_v<T, ExceptionDayList>) {
    if (!j.is_array()) throw JsonError(where + "expected an array");
    if (j.size() > ExceptionDayList::kMax)
      throw JsonError(where + "at most " + std::to_string(ExceptionDayList::kMax) + " entries");
    std::vector<EventDay> days(j.size());
    for (std::size_t i = 0; i < j.size(); ++i) {
      Read(j[i], days[i], where);
      if (!days[i].Valid()) throw JsonError(where + "not a calendar day");
    }
    value.Assign(std::move(days));
  } else {
    if (!j.is_array()) throw JsonError(where + "expected an array");
    if (j.size() > value.size())
      throw JsonError(where + "at most " + std::to_string(value.size()) + " entries");
    for (std::size_t i = 0; i < j.size(); ++i) Read(j[i], value[i], where);
  }
}

template <class R>
bool FromJsonImpl(const json& j, R& r, std::string& error) {
  r = R();
  try {
    ReadObject(j, r, "");
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

}  // namespace

ojson ToJson(const CommonContact& r) {
  return WriteObject(r);
}
ojson ToJson(const CommonEvent& r) {
  return WriteObject(r);
}
ojson ToJson(const CommonTask& r) {
  return WriteObject(r);
}
ojson ToJson(const CommonNote& r) {
  return WriteObject(r);
}

bool FromJson(const json& j, CommonContact& r, std::string& e) {
  return FromJsonImpl(j, r, e);
}
bool FromJson(const json& j, CommonEvent& r, std::string& e) {
  return FromJsonImpl(j, r, e);
}
bool FromJson(const json& j, CommonTask& r, std::string& e) {
  return FromJsonImpl(j, r, e);
}
bool FromJson(const json& j, CommonNote& r, std::string& e) {
  return FromJsonImpl(j, r, e);
}

#pragma once

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include <nlohmann/json.hpp>

#include "json/RecordJson.h"

// Common records as lines of JSON, byte for byte what
// ToJson(record).dump(-1, ' ', false, error_handler_t::replace) gives, without building the
// JSON tree: dumping a large date book through the tree costs ten times the reading.
//
// Each record first reserves its worst case (texts counted at six bytes a byte, the most an
// escape or a replaced byte takes), then is written through a plain cursor with no further
// checks; keeping the cursor in a local lets the compiler hold it in a register.
class RecordJsonLine {
 public:
  template <class Record>
  void Append(const Record& record) {
    Room(Bound(record) + 1);
    char* p = data_.get() + used_;
    p = Object(p, record);
    *p++ = '\n';
    used_ = static_cast<std::size_t>(p - data_.get());
  }
  const char* data() const { return data_.get(); }
  std::size_t size() const { return used_; }
  void clear() { used_ = 0; }

 private:
  void Room(std::size_t n) {
    if (capacity_ - used_ < n) Grow(n);
  }
  // Grows by doubling; unlike std::string, growing does not zero the new room.
  [[gnu::noinline]] void Grow(std::size_t n) {
    std::size_t want = std::max(capacity_ * 2, used_ + n + 4096);
    std::unique_ptr<char[]> bigger(new char[want]);
    if (used_) std::memcpy(bigger.get(), data_.get(), used_);
    data_ = std::move(bigger);
    capacity_ = want;
  }

  template <class T>
  struct IsFixedText : std::false_type {};
  template <std::size_t N>
  struct IsFixedText<FixedText<N>> : std::true_type {};

  template <class T>
  static constexpr bool kIsObject = requires(const T& v) {
    T::VisitFields(v, [](std::string_view, auto&) {});
  };

  static constexpr std::size_t kNumberBound = 32;  // an integer or a double's shortest form
  static constexpr std::size_t kSystemTimeBound = 8 * (16 + kNumberBound) + 2;

  template <class Name>
  static std::size_t NameSize(const Name& name) {
    return std::string_view(name).size();
  }

  template <class T>
  static std::size_t Bound(const T& value) {
    if constexpr (IsFixedText<T>::value) {
      return value.view().size() * 6 + 2;
    } else if constexpr (std::is_same_v<T, SYSTEMTIME>) {
      return kSystemTimeBound;
    } else if constexpr (std::is_same_v<T, OleDate> || std::is_integral_v<T>) {
      return kNumberBound;
    } else if constexpr (kIsObject<T>) {
      std::size_t n = 2;
      T::VisitFields(value, [&](const auto& name, const auto& field) {
        n += NameSize(name) + 4 + Bound(field);
      });
      return n;
    } else {
      std::size_t n = 2;
      for (const auto& e : value) n += Bound(e) + 1;
      return n;
    }
  }

  // Names are plain ASCII literals or views of them.
  template <class Name>
  static char* Key(char* p, const Name& name) {
    *p++ = '"';
    if constexpr (std::is_array_v<Name>) {
      p = Lit(p, name);
    } else {
      p = Raw(p, std::string_view(name));
    }
    return Lit(p, "\":");
  }

  static char* Raw(char* p, std::string_view s) {
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    return p + s.size();
  }
  // A literal: its length is known, so the copy is a few moves.
  template <std::size_t N>
  static char* Lit(char* p, const char (&s)[N]) {
    std::memcpy(p, s, N - 1);
    return p + N - 1;
  }
  static char* Integer(char* p, long long v) {
    if (v >= 0 && v < 10) {  // most fields of a record are 0
      *p = static_cast<char>('0' + v);
      return p + 1;
    }
    return std::to_chars(p, p + kNumberBound, v).ptr;
  }

  template <class T>
  static char* Object(char* p, const T& record) {
    // Every member is written after a comma; the first comma becomes the opening brace.
    char* open = p;
    T::VisitFields(record, [&](const auto& name, const auto& field) {
      *p++ = ',';
      p = Key(p, name);
      p = Value(p, field);
    });
    if (p == open) *p++ = '{';
    *open = '{';
    *p++ = '}';
    return p;
  }

  static char* Value(char* p, const SYSTEMTIME& st) {
    p = Lit(p, "{\"wYear\":");
    p = Integer(p, st.wYear);
    p = Lit(p, ",\"wMonth\":");
    p = Integer(p, st.wMonth);
    p = Lit(p, ",\"wDayOfWeek\":");
    p = Integer(p, st.wDayOfWeek);
    p = Lit(p, ",\"wDay\":");
    p = Integer(p, st.wDay);
    p = Lit(p, ",\"wHour\":");
    p = Integer(p, st.wHour);
    p = Lit(p, ",\"wMinute\":");
    p = Integer(p, st.wMinute);
    p = Lit(p, ",\"wSecond\":");
    p = Integer(p, st.wSecond);
    p = Lit(p, ",\"wMilliseconds\":");
    p = Integer(p, st.wMilliseconds);
    return Lit(p, "}");
  }

  template <class T>
  static char* Value(char* p, const T& value) {
    if constexpr (IsFixedText<T>::value) {
      return Text(p, value.view());
    } else if constexpr (std::is_same_v<T, OleDate>) {
      if (value.value == 0.0) return Lit(p, "0.0");
      return Raw(p, nlohmann::ordered_json(value.value).dump());
    } else if constexpr (std::is_integral_v<T>) {
      return Integer(p, static_cast<long long>(value));
    } else if constexpr (kIsObject<T>) {
      return Object(p, value);
    } else {
      *p++ = '[';
      bool first = true;
      for (const auto& e : value) {
        if (!first) *p++ = ',';
        first = false;
        p = Value(p, e);
      }
      *p++ = ']';
      return p;
    }
  }

  static char* Text(char* p, std::string_view s) {
    if (!ValidUtf8(s)) {  // rare: let the library apply its replacement rules
      return Raw(p, nlohmann::ordered_json(std::string(s))
                        .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
    }
    *p++ = '"';
    std::size_t run = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      auto c = static_cast<unsigned char>(s[i]);
      if (c >= 0x20 && c != '"' && c != '\\') continue;
      p = Raw(p, s.substr(run, i - run));
      run = i + 1;
      switch (c) {
        case '"':
          p = Lit(p, "\\\"");
          break;
        case '\\':
          p = Lit(p, "\\\\");
          break;
        case '\b':
          p = Lit(p, "\\b");
          break;
        case '\f':
          p = Lit(p, "\\f");
          break;
        case '\n':
          p = Lit(p, "\\n");
          break;
        case '\r':
          p = Lit(p, "\\r");
          break;
        case '\t':
          p = Lit(p, "\\t");
          break;
        default: {
          static constexpr char kHex[] = "0123456789abcdef";
          const char u[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
          p = Raw(p, std::string_view(u, sizeof u));
        }
      }
    }
    p = Raw(p, s.substr(run));
    *p++ = '"';
    return p;
  }

  // Well-formed UTF-8 as the library's decoder takes it: no overlong forms, no surrogates,
  // nothing above U+10FFFF.
  static bool ValidUtf8(std::string_view s) {
    const auto* b = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t size = s.size();
    std::size_t i = 0;
    while (i < size) {
      unsigned char c = b[i];
      if (c < 0x80) {
        ++i;
        continue;
      }
      std::size_t n = 0;
      unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
      if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
      } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
      } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
      } else {
        return false;
      }
      if (size - i < n || b[i + 1] < lo || b[i + 1] > hi) return false;
      for (std::size_t k = 2; k < n; ++k)
        if ((b[i + k] & 0xC0) != 0x80) return false;
      i += n;
    }
    return true;
  }

  std::unique_ptr<char[]> data_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
};

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
class RecordJsonLine {
 public:
  template <class Record>
  void Append(const Record& record) {
    Writer w(*this);
    w.Object(record);
    w.Put('\n');
  }
  const char* data() const { return data_.get(); }
  std::size_t size() const { return used_; }
  void clear() { used_ = 0; }

 private:
  // Grows by doubling; unlike std::string, growing does not zero the new room.
  void Room(std::size_t n) {
    if (capacity_ - used_ >= n) return;
    std::size_t want = std::max(capacity_ * 2, used_ + n + 4096);
    std::unique_ptr<char[]> bigger(new char[want]);
    if (used_) std::memcpy(bigger.get(), data_.get(), used_);
    data_ = std::move(bigger);
    capacity_ = want;
  }

  std::unique_ptr<char[]> data_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;

  template <class T>
  struct IsFixedText : std::false_type {};
  template <std::size_t N>
  struct IsFixedText<FixedText<N>> : std::true_type {};

  // Writes through a raw pointer into the string's spare room, made before each value.
  class Writer {
   public:
    explicit Writer(RecordJsonLine& out) : out_(out) {}

    void Room(std::size_t n) { out_.Room(n); }
    void Put(char c) {
      Room(1);
      At() = c;
      ++out_.used_;
    }
    char& At() { return out_.data_[out_.used_]; }
    void Raw(std::string_view s) {  // room already made
      std::memcpy(&At(), s.data(), s.size());
      out_.used_ += s.size();
    }
    // A literal: its length is known, so the copy is a few moves.
    template <std::size_t N>
    void Lit(const char (&s)[N]) {  // room already made
      std::memcpy(&At(), s, N - 1);
      out_.used_ += N - 1;
    }
    void Integer(long long v) {  // room already made
      if (v >= 0 && v < 10) {    // most fields of a record are 0
        At() = static_cast<char>('0' + v);
        ++out_.used_;
        return;
      }
      auto r = std::to_chars(&At(), &At() + 24, v);
      out_.used_ = static_cast<std::size_t>(r.ptr - out_.data_.get());
    }

    template <class T>
    void Object(const T& record) {
      Put('{');
      bool first = true;
      T::VisitFields(record, [&](const auto& name, const auto& field) {
        Room(std::string_view(name).size() + 64);  // names are plain ASCII literals
        if (!first) Lit(",");
        first = false;
        Lit("\"");
        if constexpr (std::is_array_v<std::remove_reference_t<decltype(name)>>)
          Lit(name);
        else
          Raw(name);
        Lit("\":");
        Value(field);
      });
      Put('}');
    }

    void Value(const SYSTEMTIME& st) {
      Room(8 * 40);
      Lit("{\"wYear\":");
      Integer(st.wYear);
      Lit(",\"wMonth\":");
      Integer(st.wMonth);
      Lit(",\"wDayOfWeek\":");
      Integer(st.wDayOfWeek);
      Lit(",\"wDay\":");
      Integer(st.wDay);
      Lit(",\"wHour\":");
      Integer(st.wHour);
      Lit(",\"wMinute\":");
      Integer(st.wMinute);
      Lit(",\"wSecond\":");
      Integer(st.wSecond);
      Lit(",\"wMilliseconds\":");
      Integer(st.wMilliseconds);
      Lit("}");
    }

    template <class T>
    void Value(const T& value) {
      if constexpr (IsFixedText<T>::value) {
        Text(value.view());
      } else if constexpr (std::is_same_v<T, OleDate>) {
        if (value.value == 0.0) {
          Room(4);
          Lit("0.0");
        } else {
          std::string s = nlohmann::ordered_json(value.value).dump();
          Room(s.size());
          Raw(s);
        }
      } else if constexpr (std::is_integral_v<T>) {
        Room(24);
        Integer(static_cast<long long>(value));
      } else if constexpr (requires { T::VisitFields(value, [](std::string_view, auto&) {}); }) {
        Object(value);
      } else {
        Put('[');
        bool first = true;
        for (const auto& e : value) {
          if (!first) Put(',');
          first = false;
          Value(e);
        }
        Put(']');
      }
    }

    void Text(std::string_view s) {
      if (!ValidUtf8(s)) {  // rare: let the library apply its replacement rules
        std::string j = nlohmann::ordered_json(std::string(s))
                            .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        Room(j.size());
        Raw(j);
        return;
      }
      Room(s.size() * 6 + 2);
      Lit("\"");
      std::size_t run = 0;
      for (std::size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        Raw(s.substr(run, i - run));
        run = i + 1;
        switch (c) {
          case '"':
            Lit("\\\"");
            break;
          case '\\':
            Lit("\\\\");
            break;
          case '\b':
            Lit("\\b");
            break;
          case '\f':
            Lit("\\f");
            break;
          case '\n':
            Lit("\\n");
            break;
          case '\r':
            Lit("\\r");
            break;
          case '\t':
            Lit("\\t");
            break;
          default: {
            static constexpr char kHex[] = "0123456789abcdef";
            const char u[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
            Raw(std::string_view(u, sizeof u));
          }
        }
      }
      Raw(s.substr(run));
      Lit("\"");
    }

   private:
    static bool ValidUtf8(std::string_view s) {
      std::size_t i = 0;
      while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
          ++i;
          continue;
        }
        std::size_t n = (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || s.size() - i < n) return false;
        for (std::size_t k = 1; k < n; ++k)
          if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
      }
      return true;
    }

    RecordJsonLine& out_;
  };
};

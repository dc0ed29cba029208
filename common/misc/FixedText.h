#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

#include "misc/Utf8.h"

// Storage of one text field: a single heap block holding length and NUL-terminated bytes, or
// nothing at all when the field is empty. A contact has about a hundred text fields, most of them
// empty, so an empty field costs one pointer.
class TextStorage {
 public:
  TextStorage() = default;
  TextStorage(const TextStorage& other) { CopyFrom(other.view()); }
  TextStorage(TextStorage&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  TextStorage& operator=(const TextStorage& other) {
    if (this != &other) CopyFrom(other.view());
    return *this;
  }
  TextStorage& operator=(TextStorage&& other) noexcept {
    if (this != &other) {
      Release();
      block_ = other.block_;
      other.block_ = nullptr;
    }
    return *this;
  }
  ~TextStorage() { Release(); }

  const char* c_str() const { return block_ ? block_ + kHeader : ""; }
  std::size_t size() const {
    if (!block_) return 0;
    std::uint32_t n;
    std::memcpy(&n, block_, sizeof n);
    return n;
  }
  std::string_view view() const { return {c_str(), size()}; }
  std::string str() const { return std::string(view()); }
  bool empty() const { return block_ == nullptr; }
  void clear() { Release(); }

  // Stores at most `maxBytes` bytes of `text`, cut back to a whole UTF-8 character.
  void Assign(std::string_view text, std::size_t maxBytes) { CopyFrom(Utf8Prefix(text, maxBytes)); }

 private:
  static constexpr std::size_t kHeader = sizeof(std::uint32_t);

  void CopyFrom(std::string_view text);
  void Release() {
    delete[] block_;
    block_ = nullptr;
  }

  char* block_ = nullptr;
};

inline std::ostream& operator<<(std::ostream& os, const TextStorage& t) {
  return os << t.view();
}

// A text field of width N: holds at most N-1 bytes, as a char[N] with its terminator would.
template <std::size_t N>
class FixedText : public TextStorage {
  static_assert(N >= 2, "a text field holds at least one byte");

 public:
  static constexpr std::size_t kWidth = N;
  static constexpr std::size_t kMaxBytes = N - 1;

  FixedText() = default;
  FixedText(std::string_view text) { Assign(text); }  // NOLINT: implicit like a char[] copy
  FixedText(const char* text) { Assign(text ? std::string_view(text) : std::string_view()); }

  FixedText& operator=(std::string_view text) {
    Assign(text);
    return *this;
  }
  FixedText& operator=(const char* text) {
    Assign(text ? std::string_view(text) : std::string_view());
    return *this;
  }
  void Assign(std::string_view text) { TextStorage::Assign(text, kMaxBytes); }

  friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
  friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const FixedText& a, const char* b) {
    return a.view() == std::string_view(b);
  }
};

// A type-erased handle on one text field, for code that walks fields by code.
struct TextFieldRef {
  TextStorage* field = nullptr;
  std::size_t width = 0;

  void Assign(std::string_view text) const { field->Assign(text, width - 1); }
  std::string_view view() const { return field->view(); }
};

template <std::size_t N>
TextFieldRef RefOf(FixedText<N>& f) {
  return {&f, N};
}

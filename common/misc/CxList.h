#pragma once

#include <cassert>
#include <cstdint>
#include <vector>

// An append-only indexed list with a cursor. Positions run 0 .. Count()-1 in insertion order and
// never change. The list does not own its elements unless told so when it is emptied.
template <class T>
class CxList {
 public:
  CxList() = default;
  CxList(const CxList&) = delete;
  CxList& operator=(const CxList&) = delete;
  CxList(CxList&&) noexcept = default;
  CxList& operator=(CxList&&) noexcept = default;

  // Ignores a null element.
  bool Append(T* element) {
    if (!element) return false;
    items_.push_back(element);
    cursor_ = static_cast<std::uint32_t>(items_.size() - 1);
    return true;
  }

  T* First() {
    if (items_.empty()) return nullptr;
    cursor_ = 0;
    return items_[0];
  }

  T* Next() {
    if (items_.empty() || cursor_ + 1 >= items_.size()) return nullptr;
    return At(cursor_ + 1);
  }

  // Moves the cursor to the element it returns.
  T* At(std::uint32_t index) {
    if (index >= items_.size()) return nullptr;
    cursor_ = index;
    return items_[index];
  }

  // Reads without moving the cursor.
  T* Peek(std::uint32_t index) const { return index < items_.size() ? items_[index] : nullptr; }

  std::uint32_t Count() const { return static_cast<std::uint32_t>(items_.size()); }
  std::uint32_t CursorIndex() const { return cursor_; }

  void RemoveAll(bool freeElements) {
    if (freeElements)
      for (T* e : items_) delete e;
    items_.clear();
    cursor_ = 0;
  }

 private:
  std::vector<T*> items_;
  std::uint32_t cursor_ = 0;
};

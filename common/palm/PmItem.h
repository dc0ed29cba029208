#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <stdexcept>
#include <variant>
#include <vector>

#include "palm/PmSourceBase.h"

// The Palm record of an item, as the loader read it. It refers to the loader's own record, which
// the source keeps unchanged for as long as it keeps the item, and becomes a copy of its own only
// when changed through the item (the custom-field map labels an empty phone slot), so the
// loader's record stays as read. A large date book holds hundreds of thousands of items; a
// copy of each up front would double the memory of the load.
template <class T>
class PmRecordCopy {
 public:
  explicit PmRecordCopy(const T& record) : shared_(&record) {}
  PmRecordCopy(const PmRecordCopy& o)
      : shared_(o.shared_), own_(o.own_ ? std::make_unique<T>(*o.own_) : nullptr) {}
  PmRecordCopy& operator=(const PmRecordCopy& o) {
    if (this != &o) *this = PmRecordCopy(o);
    return *this;
  }
  PmRecordCopy(PmRecordCopy&&) noexcept = default;
  PmRecordCopy& operator=(PmRecordCopy&&) noexcept = default;

  const T& operator*() const { return own_ ? *own_ : *shared_; }
  const T* operator->() const { return &**this; }
  T& operator*() {
    if (!own_) own_ = std::make_unique<T>(*shared_);
    return *own_;
  }

 private:
  const T* shared_;
  std::unique_ptr<T> own_;
};

// One converted Palm record, attached to its common record: the layout that read it, the Palm
// record of that layout, the loader's own record and the manager's entry.
template <class Common, class Layout1, class Layout2, class Layout6>
struct PmItem {
  int layout = kPmLayoutNone;
  std::variant<std::monostate, PmRecordCopy<Layout1>, PmRecordCopy<Layout2>, PmRecordCopy<Layout6>>
      record;
  const void* loaderRecord = nullptr;
  Common* entry = nullptr;

  // The record when it is an R; null otherwise.
  template <class R>
  const R* Get() const {
    auto* copy = std::get_if<PmRecordCopy<R>>(&record);
    return copy ? &**copy : nullptr;
  }
  // The same, to be changed: the item takes a copy of its own first.
  template <class R>
  R* Modify() {
    auto* copy = std::get_if<PmRecordCopy<R>>(&record);
    return copy ? &**copy : nullptr;
  }
  template <class R>
  void Set(int layoutNumber, const R& rec) {
    layout = layoutNumber;
    record.template emplace<PmRecordCopy<R>>(rec);
    loaderRecord = &rec;
  }
};

// The item list of a source. The common records borrow their items, so the items sit in one
// block sized for every record of the load before the first is added and never move.
template <class Item>
class PmItemList {
 public:
  void Clear() {
    items_ = {};
    cursor_ = 0;
  }
  // Room for `count` items; false when the memory for them is not there.
  bool Reserve(std::size_t count) {
    Clear();
    try {
      items_.reserve(count);
    } catch (const std::bad_alloc&) {
      return false;
    } catch (const std::length_error&) {
      return false;
    }
    return true;
  }
  // A new item for rec, or null when the room made by Reserve is used up.
  template <class R>
  Item* Add(int layout, const R& rec) {
    if (items_.size() == items_.capacity()) return nullptr;  // growing would move the others
    Item& item = items_.emplace_back();
    item.Set(layout, rec);
    return &item;
  }
  void DropLast() { items_.pop_back(); }

  std::size_t size() const { return items_.size(); }
  Item* First() {
    cursor_ = 0;
    return Next();
  }
  Item* Next() { return cursor_ < items_.size() ? &items_[cursor_++] : nullptr; }

 private:
  std::vector<Item> items_;
  std::size_t cursor_ = 0;
};

#pragma once

#include <memory>
#include <variant>

#include "palm/PmSourceBase.h"

// A value copy of one Palm record kept in its own allocation, so that an item of a small layout
// does not carry the room of the largest (a layout-2 record is several times a layout-1 one, and
// a large date book holds hundreds of thousands of items).
template <class T>
class PmRecordCopy {
 public:
  explicit PmRecordCopy(const T& record) : p_(std::make_unique<T>(record)) {}
  PmRecordCopy(const PmRecordCopy& o) : p_(std::make_unique<T>(*o.p_)) {}
  PmRecordCopy& operator=(const PmRecordCopy& o) {
    if (this != &o) p_ = std::make_unique<T>(*o.p_);
    return *this;
  }
  PmRecordCopy(PmRecordCopy&&) noexcept = default;
  PmRecordCopy& operator=(PmRecordCopy&&) noexcept = default;

  T& operator*() { return *p_; }
  const T& operator*() const { return *p_; }
  const T* operator->() const { return p_.get(); }

 private:
  std::unique_ptr<T> p_;
};

// One converted Palm record, attached to its common record: the layout that read it, a copy of
// the Palm record of that layout, the loader's own record and the manager's entry.
template <class Common, class Layout1, class Layout2, class Layout6>
struct PmItem {
  int layout = kPmLayoutNone;
  std::variant<std::monostate, PmRecordCopy<Layout1>, PmRecordCopy<Layout2>, PmRecordCopy<Layout6>>
      record;
  const void* loaderRecord = nullptr;
  Common* entry = nullptr;

  // The copied record when it is an R; null otherwise.
  template <class R>
  const R* Get() const {
    auto* copy = std::get_if<PmRecordCopy<R>>(&record);
    return copy ? &**copy : nullptr;
  }
  template <class R>
  R* Get() {
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

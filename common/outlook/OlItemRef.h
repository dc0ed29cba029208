#pragma once

#include "outlook/OlAutomation.h"

// A counted reference to the Outlook item a record was read from: copying a record copies the
// reference (AddRef), dropping it releases it.
class OlItemRef {
 public:
  OlItemRef() = default;
  explicit OlItemRef(IDispatch* item);
  OlItemRef(const OlItemRef& other);
  OlItemRef& operator=(const OlItemRef& other);
  OlItemRef(OlItemRef&& other) noexcept : item_(other.item_) { other.item_ = nullptr; }
  OlItemRef& operator=(OlItemRef&& other) noexcept;
  ~OlItemRef();

  IDispatch* get() const { return item_; }
  explicit operator bool() const { return item_ != nullptr; }

 private:
  IDispatch* item_ = nullptr;
};

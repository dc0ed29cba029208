#pragma once

#include <memory>
#include <typeinfo>
#include <utility>

// The connector's own record attached to a common record, in one of two ways:
// - owned: a copy that travels with the common record (copied when it is copied, freed with it);
// - borrowed: a pointer into the connector's own list, which outlives the common record.
class NativeAttachment {
 public:
  NativeAttachment() = default;

  template <class T>
  static NativeAttachment Own(T record) {
    NativeAttachment a;
    a.owned_ = std::make_unique<Holder<T>>(std::move(record));
    return a;
  }
  template <class T>
  static NativeAttachment Borrow(T* record) {
    NativeAttachment a;
    if (record) {
      a.borrowed_ = record;
      a.type_ = &typeid(T);
    }
    return a;
  }

  NativeAttachment(const NativeAttachment& o)
      : owned_(o.owned_ ? o.owned_->Clone() : nullptr), borrowed_(o.borrowed_), type_(o.type_) {}
  NativeAttachment& operator=(const NativeAttachment& o) {
    if (this != &o) *this = NativeAttachment(o);
    return *this;
  }
  NativeAttachment(NativeAttachment&&) noexcept = default;
  NativeAttachment& operator=(NativeAttachment&&) noexcept = default;

  bool empty() const { return !owned_ && !borrowed_; }
  bool IsOwned() const { return owned_ != nullptr; }
  void reset() { *this = NativeAttachment(); }

  // The attached record when it is a T; null otherwise.
  template <class T>
  T* As() const {
    if (owned_) return owned_->Type() == typeid(T) ? static_cast<T*>(owned_->Get()) : nullptr;
    if (borrowed_ && *type_ == typeid(T)) return static_cast<T*>(borrowed_);
    return nullptr;
  }

 private:
  struct HolderBase {
    virtual ~HolderBase() = default;
    virtual std::unique_ptr<HolderBase> Clone() const = 0;
    virtual const std::type_info& Type() const = 0;
    virtual void* Get() = 0;
  };
  template <class T>
  struct Holder final : HolderBase {
    explicit Holder(T v) : value(std::move(v)) {}
    std::unique_ptr<HolderBase> Clone() const override { return std::make_unique<Holder>(value); }
    const std::type_info& Type() const override { return typeid(T); }
    void* Get() override { return &value; }
    T value;
  };

  std::unique_ptr<HolderBase> owned_;
  void* borrowed_ = nullptr;
  const std::type_info* type_ = nullptr;
};

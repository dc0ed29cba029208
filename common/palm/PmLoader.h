#pragma once

#include <functional>
#include <span>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "palm/PmDBUtil.h"

// What every Palm record carries besides its own fields.
struct PmRecordBase {
  std::string categoryName;       // looked up from the category field at load time
  std::vector<PmAnyField> extra;  // fields past the loader's table, kept for writing back

  friend bool operator==(const PmRecordBase&, const PmRecordBase&) = default;
};

// A loader for one database and layout: decodes records by its fixed field table (Rec::Fields()),
// whatever the file's schema says the types are, and keeps every record in file order, deleted
// and archived ones too, so that the file can be written back whole. Conversions skip those with
// PmIsLive().
template <class Rec>
class PmLoader : public PmDBUtil {
 public:
  using Record = Rec;

  const std::vector<Rec>& Records() const { return records_; }
  std::vector<Rec>& Records() { return records_; }
  std::size_t RecordCount() const override { return sink_ ? streamed_ : records_.size(); }
  // While set, each record read goes to `sink` instead of the record list, so that a source that
  // keeps no Palm records converts it at once; null tells the sink that reading starts over.
  using RecordSink = std::function<void(const Rec*)>;
  void SetRecordSink(RecordSink sink) { sink_ = std::move(sink); }

 protected:
  PmLoader(PmDatabase db, int layout) : PmDBUtil(db, layout) {
    std::vector<std::uint16_t> types;
    for (const auto& f : Rec::Fields()) types.push_back(f.type);
    SetStandardSchema(kResourceIds[static_cast<int>(db)], std::move(types));
  }

  void ClearRecords() override {
    records_.clear();
    streamed_ = 0;
    if (sink_) sink_(nullptr);
  }
  void ReserveRecords(std::size_t count) override {
    if (!sink_) records_.reserve(count);
  }
  std::size_t KnownFields() const override { return Rec::Fields().size(); }

  bool ReadRecord(PmByteSource& src, std::int32_t fieldsPerRow) override {
    Rec rec{};
    const auto fields = Rec::Fields();
    for (std::int32_t j = 0; j < fieldsPerRow; ++j) {
      auto index = static_cast<std::size_t>(j);
      bool ok = index < fields.size() ? ReadOne(src, fields[index], rec) : ReadExtra(src, rec);
      if (!ok) return false;
    }
    for (const auto& f : fields) {
      if (f.role == PmFieldRole::kCategory) {
        rec.categoryName = CategoryNameFor(*std::get<std::int32_t*>(f.ref(rec)));
      }
    }
    if (sink_) {
      sink_(&rec);
      ++streamed_;
    } else {
      records_.push_back(std::move(rec));
    }
    return true;
  }

  void WriteRecords(PmByteSink& sink) const override {
    const auto fields = Rec::Fields();
    const std::int32_t perRow = Schema().fieldsPerRow;
    std::int64_t total = static_cast<std::int64_t>(records_.size()) * perRow;
    sink.WriteI32(total > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(total));
    for (const Rec& rec : records_) {
      for (std::int32_t j = 0; j < perRow; ++j) {
        auto index = static_cast<std::size_t>(j);
        if (index < fields.size()) {
          WriteOne(sink, fields[index], rec);
        } else if (index - fields.size() < rec.extra.size()) {
          WriteAnyField(sink, rec.extra[index - fields.size()]);
        } else {
          WriteIntegerField(sink, kPmInteger, 0);  // a record built in memory lacks the extras
        }
      }
    }
  }

 private:
  static constexpr std::int32_t kResourceIds[] = {74, 54, 44, 64};

  bool ReadOne(PmByteSource& src, const PmFieldSpec<Rec>& f, Rec& rec) {
    return std::visit(
        [&](auto* target) {
          using T = std::remove_pointer_t<decltype(target)>;
          if constexpr (std::is_same_v<T, std::int32_t>) {
            return ReadIntegerField(src, *target);
          } else if constexpr (std::is_same_v<T, std::string>) {
            return ReadTextField(src, *target);
          } else if constexpr (std::is_same_v<T, PmOpaque>) {
            return ReadOpaqueField(src, *target);
          } else if constexpr (std::is_same_v<T, double>) {
            return ReadRealField(src, *target);
          } else {
            return ReadRepeatField(src, *target);
          }
        },
        f.ref(rec));
  }

  bool ReadExtra(PmByteSource& src, Rec& rec) {
    PmAnyField any;
    if (!ReadAnyField(src, any)) return false;
    rec.extra.push_back(std::move(any));
    return true;
  }

  void WriteOne(PmByteSink& sink, const PmFieldSpec<Rec>& f, const Rec& rec) const {
    // The table hands out mutable pointers; writing only reads through them.
    auto ref = f.ref(const_cast<Rec&>(rec));
    std::visit(
        [&](auto* value) {
          using T = std::remove_pointer_t<decltype(value)>;
          if constexpr (std::is_same_v<T, std::int32_t>) WriteIntegerField(sink, f.type, *value);
          if constexpr (std::is_same_v<T, std::string>) WriteTextField(sink, *value);
          if constexpr (std::is_same_v<T, PmOpaque>) WriteOpaqueField(sink, f.type, *value);
          if constexpr (std::is_same_v<T, double>) WriteRealField(sink, *value);
          if constexpr (std::is_same_v<T, PmRepeat>) WriteRepeatField(sink, *value);
        },
        ref);
  }

  std::vector<Rec> records_;
  RecordSink sink_;
  std::size_t streamed_ = 0;
};

// Field-table entries; R names the record type in the table being defined.
#define PM_FIELD(type, capacity, member)                             \
  PmFieldSpec<R> {                                                   \
    (type), (capacity), [](R& r) -> PmFieldRef { return &r.member; } \
  }
#define PM_CATEGORY_FIELD(member)                                                       \
  PmFieldSpec<R> {                                                                      \
    kPmInteger, 0, [](R& r) -> PmFieldRef { return &r.member; }, PmFieldRole::kCategory \
  }

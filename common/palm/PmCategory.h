#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// One Palm Desktop category. Names are raw Windows-1252 bytes as stored.
struct PmCategory {
  static constexpr std::int32_t kDirty = 0x10;
  static constexpr std::size_t kNameMax = 15;  // Palm category names are 15 bytes
  static constexpr std::size_t kShortNameMax = 255;

  std::int32_t index = -1;  // slot 0 to 15; -1 = not placed yet
  std::int32_t id = -1;     // -1 = not assigned yet
  std::string name;
  std::string shortName;
  std::int32_t flags = 0;
};

// The 16 category slots of one database; slot 0 is the built-in "Unfiled".
class PmCategoryMgr {
 public:
  static constexpr std::size_t kSlots = 16;
  static constexpr std::int32_t kFirstFreeId = 128;

  bool Add(PmCategory category);
  const PmCategory* ById(std::int32_t id) const;
  const PmCategory* ByIndex(std::int32_t index) const;
  const PmCategory* ByName(const std::string& name) const;  // ASCII case folded

  std::size_t Count() const { return count_; }
  std::int32_t NextFreeId() const { return nextFreeId_; }
  void SetNextFreeId(std::int32_t id) { nextFreeId_ = id; }
  bool Modified() const { return modified_; }
  void ClearModified() { modified_ = false; }

  // Slot-order iteration over the filled slots.
  template <class F>
  void ForEach(F&& visit) const {
    for (const auto& slot : slots_) {
      if (slot) visit(*slot);
    }
  }

 private:
  std::array<std::optional<PmCategory>, kSlots> slots_;
  std::int32_t nextFreeId_ = kFirstFreeId;
  std::size_t count_ = 0;
  bool modified_ = false;
};

#include "palm/PmCategory.h"

#include <string_view>

#include "platform/AsciiCase.h"

namespace {

// Characters that Palm Desktop will not put in the file name it derives from a category.
constexpr std::string_view kUnsafeInShortName = "\"*+,./:;<=>?[\\]^|";

}  // namespace

bool PmCategoryMgr::Add(PmCategory category) {
  if (count_ >= kSlots) return false;
  if (category.index == -1) {
    std::int32_t free = -1;
    for (std::int32_t i = 1; i < static_cast<std::int32_t>(kSlots); ++i) {
      if (!slots_[static_cast<std::size_t>(i)]) {
        free = i;
        break;
      }
    }
    if (free < 0) return false;
    category.index = free;
    category.flags |= PmCategory::kDirty;
  } else if (category.index < 0 || category.index >= static_cast<std::int32_t>(kSlots)) {
    return false;
  }
  if (slots_[static_cast<std::size_t>(category.index)]) return false;  // never overwrite a slot

  if (category.id == -1) {
    std::int32_t largest = 0;
    for (const auto& slot : slots_) {
      if (!slot) break;
      if (slot->id > largest) largest = slot->id;
    }
    category.id = largest + 1;
    // The scan stops at the first empty slot, so a later slot may hold that id already; two
    // categories of one id would make the file unreadable once written back.
    if (ById(category.id)) {
      for (const auto& slot : slots_)
        if (slot && slot->id >= category.id) category.id = slot->id + 1;
    }
    category.flags |= PmCategory::kDirty;
  } else if (ById(category.id)) {
    return false;
  }

  if (category.name.size() > PmCategory::kNameMax) category.name.resize(PmCategory::kNameMax);
  if (!category.name.empty()) {
    category.shortName = category.name.substr(0, PmCategory::kShortNameMax);
    for (char& c : category.shortName) {
      if (kUnsafeInShortName.find(c) != std::string_view::npos) c = '_';
    }
  }
  if (category.shortName.size() > PmCategory::kShortNameMax) {
    category.shortName.resize(PmCategory::kShortNameMax);
  }
  slots_[static_cast<std::size_t>(category.index)] = std::move(category);
  ++count_;
  modified_ = true;
  return true;
}

const PmCategory* PmCategoryMgr::ById(std::int32_t id) const {
  for (const auto& slot : slots_) {
    if (slot && slot->id == id) return &*slot;
  }
  return nullptr;
}

const PmCategory* PmCategoryMgr::ByIndex(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(kSlots)) return nullptr;
  const auto& slot = slots_[static_cast<std::size_t>(index)];
  return slot ? &*slot : nullptr;
}

const PmCategory* PmCategoryMgr::ByName(const std::string& name) const {
  for (const auto& slot : slots_) {
    if (slot && platform::EqualsNoCase(slot->name, name)) return &*slot;
  }
  return nullptr;
}

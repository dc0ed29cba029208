#include "palm/PmCategoryEx2.h"

#include <array>
#include <string_view>

#include "misc/CxDebugUtil.h"
#include "palm/PmDataAccessor.h"
#include "palm/PmEx2Field.h"

namespace {

constexpr std::array<std::string_view, 4> kColumns = {"ID", "Name", "Status", "Color"};

}  // namespace

bool PmCategoryEx2Mgr::Load() {
  list_.clear();
  if (!accessor_) return false;
  std::size_t odd = 0;
  for (auto row = accessor_->Query("Category", kColumns); row;
       row = accessor_->NextRow("Category", kColumns)) {
    if (list_.size() == kMaxCategories) {
      QM_LOG_ERROR("More than %zu categories; the rest are ignored.", kMaxCategories);
      break;
    }
    PmCategoryEx2 c;
    if (row->size() == kColumns.size()) {
      bool ok = PmEx2Store((*row)[0], &c.id);
      ok = PmEx2Store((*row)[1], RefOf(c.name)) && ok;
      ok = PmEx2Store((*row)[2], &c.status) && ok;
      ok = PmEx2Store((*row)[3], &c.color) && ok;
      if (!ok) ++odd;
    } else {
      ++odd;
    }
    QM_LOG_INFO("Category loaded: %s", c.name.c_str());
    list_.push_back(std::move(c));
  }
  if (odd > 0) QM_LOG_ERROR("%zu category rows had values of an unexpected kind.", odd);
  return !list_.empty();
}

const PmCategoryEx2* PmCategoryEx2Mgr::ById(std::int32_t id) const {
  for (const auto& c : list_) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

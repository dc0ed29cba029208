#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "misc/FixedText.h"

class PmDataAccessor;

// One row of a 6.x database's "Category" table.
struct PmCategoryEx2 {
  std::int32_t id = 0;
  FixedText<256> name;
  std::int32_t status = 0;
  std::int32_t color = 0;
};

// The categories of one 6.x database, read through the loader's accessor.
class PmCategoryEx2Mgr {
 public:
  // Palm Desktop keeps a few dozen categories; a damaged table must not grow the list unbounded.
  static constexpr std::size_t kMaxCategories = 4096;

  void SetAccessor(PmDataAccessor* accessor) { accessor_ = accessor; }
  // Clears the list and reads the table again; false without an accessor or rows.
  bool Load();
  void Clear() { list_.clear(); }

  // The first category with this ID, or null.
  const PmCategoryEx2* ById(std::int32_t id) const;
  const std::vector<PmCategoryEx2>& Categories() const { return list_; }

 private:
  PmDataAccessor* accessor_ = nullptr;
  std::vector<PmCategoryEx2> list_;
};

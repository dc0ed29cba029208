#pragma once

#include <span>
#include <string>

#include "palm/PmRecordHeads.h"

// A layout-1 memo record (6 fields).
struct PmMemoRecord : PmHead1 {
  std::string text;  // capacity 8192
  std::int32_t isPrivate = 0;
  std::int32_t categoryId = 0;

  static std::span<const PmFieldSpec<PmMemoRecord>> Fields();
  friend bool operator==(const PmMemoRecord&, const PmMemoRecord&) = default;
};

// "memopad.dat" of Palm Desktop before 4.1.2, and every memo archive.
class PmMemoUtil final : public PmLoader<PmMemoRecord> {
 public:
  PmMemoUtil();
  explicit PmMemoUtil(const std::string& path);
};

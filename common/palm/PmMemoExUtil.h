#pragma once

#include <span>
#include <string>

#include "palm/PmRecordHeads.h"

// A layout-2 memo record (14 fields).
struct PmMemoExRecord : PmHead2 {
  std::string text;  // capacity 8192

  static std::span<const PmFieldSpec<PmMemoExRecord>> Fields();
  friend bool operator==(const PmMemoExRecord&, const PmMemoExRecord&) = default;
};

// "memopad.dat" of Palm Desktop 4.1.2 and later.
class PmMemoExUtil final : public PmLoader<PmMemoExRecord> {
 public:
  PmMemoExUtil();
  explicit PmMemoExUtil(const std::string& path);
};

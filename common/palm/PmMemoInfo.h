#pragma once

#include <cstdint>

#include "misc/CommNoteMgr.h"
#include "palm/PmItem.h"
#include "palm/PmMemoEx2Util.h"
#include "palm/PmMemoExUtil.h"
#include "palm/PmMemoUtil.h"
#include "palm/PmSource.h"
#include "palm/PmSourceBase.h"

using PmMemoItem = PmItem<CommonNote, PmMemoRecord, PmMemoExRecord, PmMemoEx2Record>;

// The Palm Desktop note source.
class PmMemoInfo : public PmGenerationSource<PmMemoInfo, PmMemoUtil, PmMemoExUtil, PmMemoEx2Record,
                                             CommNoteMgr, PmMemoItem> {
 public:
  explicit PmMemoInfo(std::uint32_t version);
  PmMemoInfo();  // the installed version

 private:
  friend PmSource;
  friend PmGenerationSource;
  static const PmSourceTexts kTexts;
  static const PmUserTexts kUserTexts;
  static const char* const kUnplaced;

  void Convert(const PmMemoRecord& r, CommonNote& n);
  void Convert(const PmMemoExRecord& r, CommonNote& n);
  void Convert(const PmMemoEx2Record& r, CommonNote& n);
};

#pragma once

#include <cstdint>
#include <string>

#include "misc/CommDateMgr.h"
#include "palm/PmDateEx2Util.h"
#include "palm/PmDateExUtil.h"
#include "palm/PmDateUtil.h"
#include "palm/PmItem.h"
#include "palm/PmSource.h"
#include "palm/PmSourceBase.h"

using PmDateItem = PmItem<CommonEvent, PmDateRecord, PmDateExRecord, PmDateEx2Record>;

// The Palm Desktop calendar source.
class PmDateInfo : public PmGenerationSource<PmDateInfo, PmDateUtil, PmDateExUtil, PmDateEx2Record,
                                             CommDateMgr, PmDateItem> {
 public:
  explicit PmDateInfo(std::uint32_t version);
  PmDateInfo();  // the installed version

 private:
  friend PmSource;
  friend PmGenerationSource;
  static const PmSourceTexts kTexts;
  static const PmUserTexts kUserTexts;
  static const char* const kUnplaced;

  using PmSource::Takes;
  // Layout 1 may hold unscheduled records, which are no events.
  static bool Takes(const PmDateRecord& rec) { return PmDateUtil::IsScheduled(rec); }
  void Convert(const PmDateRecord& r, CommonEvent& e);
  void Convert(const PmDateExRecord& r, CommonEvent& e);
  void Convert(const PmDateEx2Record& r, CommonEvent& e);

  PmLocalClock clock_;
  std::string scratch_;
};

#pragma once

#include <cstdint>
#include <string>

#include "misc/CommTaskMgr.h"
#include "palm/PmItem.h"
#include "palm/PmSource.h"
#include "palm/PmSourceBase.h"
#include "palm/PmTodoEx2Util.h"
#include "palm/PmTodoExUtil.h"
#include "palm/PmTodoUtil.h"

using PmTodoItem = PmItem<CommonTask, PmTodoRecord, PmTodoExRecord, PmTodoEx2Record>;

// The Palm Desktop task source.
class PmTodoInfo : public PmGenerationSource<PmTodoInfo, PmTodoUtil, PmTodoExUtil, PmTodoEx2Record,
                                             CommTaskMgr, PmTodoItem> {
 public:
  explicit PmTodoInfo(std::uint32_t version);
  PmTodoInfo();  // the installed version

 private:
  friend PmSource;
  friend PmGenerationSource;
  static const PmSourceTexts kTexts;
  static const PmUserTexts kUserTexts;
  static const char* const kUnplaced;

  void Convert(const PmTodoRecord& r, CommonTask& t);
  void Convert(const PmTodoExRecord& r, CommonTask& t);
  void Convert(const PmTodoEx2Record& r, CommonTask& t);
  void Finish(int layout, PmTodoItem& item, CommonTask& t);

  PmLocalClock clock_;
  std::string scratch_;
};

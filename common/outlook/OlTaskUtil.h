#pragma once

#include "misc/CommTaskMgr.h"
#include "misc/CommonTask.h"
#include "outlook/OlEventRecord.h"
#include "outlook/OlFolderUtil.h"

void OlTaskToCommon(const OlTaskRecord& r, CommonTask& t);
void CommonToOlTask(const CommonTask& t, OlTaskRecord& r);

// The Outlook tasks connector: the default Tasks folder.
class OlTaskUtil : public OlFolderUtil<OlTaskUtil, OlTaskRecord, CommonTask, CommTaskMgr> {
 public:
  explicit OlTaskUtil(const char* name = nullptr);

  static void ReadItem(CDispCmd& item, OlTaskRecord& r);
  static void WriteItem(CDispCmd& item, const OlTaskRecord& r);
  static void ToCommon(const OlTaskRecord& r, CommonTask& t) { OlTaskToCommon(r, t); }
  static void ToOutlook(const CommonTask& t, OlTaskRecord& r) { CommonToOlTask(t, r); }
};

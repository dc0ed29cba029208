#pragma once

#include <cstdint>
#include <memory>

#include "misc/CommTaskMgr.h"
#include "misc/CommonTask.h"
#include "outlook/OlBaseUtil.h"
#include "outlook/OlEventRecord.h"

void OlTaskToCommon(const OlTaskRecord& r, CommonTask& t);
void CommonToOlTask(const CommonTask& t, OlTaskRecord& r);

// The Outlook tasks connector: the default Tasks folder.
class OlTaskUtil : public OlBaseUtil {
 public:
  explicit OlTaskUtil(const char* name = nullptr);
  ~OlTaskUtil() override;

  bool Load() override;
  void Clear() override;
  void Init() override;
  void Uninit() override;
  bool Open() override;
  void Close() override;

  bool SubmitRecord(const CommonTask* record);
  bool AddRecord(CommonTask* record);
  bool UpdateRecord(CommonTask* record, std::int32_t position);

  CommTaskMgr* Manager() { return m_pDataMgr.get(); }

  static void ReadItem(CDispCmd& item, OlTaskRecord& r);
  static void WriteItem(CDispCmd& item, const OlTaskRecord& r);

 private:
  std::unique_ptr<CDispCmd> m_pTaskRootFolder;
  std::unique_ptr<CommTaskMgr> m_pDataMgr;
};

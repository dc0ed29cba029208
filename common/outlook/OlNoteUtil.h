#pragma once

#include <cstdint>
#include <memory>

#include "misc/CommNoteMgr.h"
#include "misc/CommonNote.h"
#include "outlook/OlBaseUtil.h"
#include "outlook/OlEventRecord.h"

void OlNoteToCommon(const OlNoteRecord& r, CommonNote& n);
void CommonToOlNote(const CommonNote& n, OlNoteRecord& r);

// The Outlook notes connector: the default Notes folder.
class OlNoteUtil : public OlBaseUtil {
 public:
  explicit OlNoteUtil(const char* name = nullptr);
  ~OlNoteUtil() override;

  bool Load() override;
  void Clear() override;
  void Init() override;
  void Uninit() override;
  bool Open() override;
  void Close() override;

  bool SubmitRecord(const CommonNote* record);
  bool AddRecord(CommonNote* record);
  bool UpdateRecord(CommonNote* record, std::int32_t position);

  CommNoteMgr* Manager() { return m_pDataMgr.get(); }

  static void ReadItem(CDispCmd& item, OlNoteRecord& r);
  static void WriteItem(CDispCmd& item, const OlNoteRecord& r);

 private:
  std::unique_ptr<CDispCmd> m_pNoteRootFolder;
  std::unique_ptr<CommNoteMgr> m_pDataMgr;
};

#pragma once

#include "misc/CommNoteMgr.h"
#include "misc/CommonNote.h"
#include "outlook/OlEventRecord.h"
#include "outlook/OlFolderUtil.h"

void OlNoteToCommon(const OlNoteRecord& r, CommonNote& n);
void CommonToOlNote(const CommonNote& n, OlNoteRecord& r);

// The Outlook notes connector: the default Notes folder.
class OlNoteUtil : public OlFolderUtil<OlNoteUtil, OlNoteRecord, CommonNote, CommNoteMgr> {
 public:
  explicit OlNoteUtil(const char* name = nullptr);

  static void ReadItem(CDispCmd& item, OlNoteRecord& r);
  static void WriteItem(CDispCmd& item, const OlNoteRecord& r);
  static void ToCommon(const OlNoteRecord& r, CommonNote& n) { OlNoteToCommon(r, n); }
  static void ToOutlook(const CommonNote& n, OlNoteRecord& r) { CommonToOlNote(n, r); }
};

#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CxFile.h"

// The migration log "MILog.txt": one entry for every record offered to the target, rewritten by
// each submission.
class CxMILog {
 public:
  // The data folder's "MILog.txt", or "MILog.txt" in the current folder when there is none.
  CxMILog();
  explicit CxMILog(std::string path);
  ~CxMILog() { Close(); }
  CxMILog(const CxMILog&) = delete;
  CxMILog& operator=(const CxMILog&) = delete;

  bool Open();
  void Close();
  bool IsOpen() const { return open_; }
  const std::string& Path() const { return path_; }

  void WriteLine(std::string_view text);
  void LogContact(const CommonContact* contact);
  void LogEvent(const CommonEvent* event);
  void LogTask(const char* subject);
  void LogNote(const CommonNote* note);

  // The first line of a note body: up to the first CR LF, else the first LF; at most 255 bytes.
  static std::string BriefNote(std::string_view body);

 private:
  void WriteField(std::string_view label, std::string_view value);

  std::unique_ptr<CxFile> file_;
  bool open_ = false;
  std::string path_;
};

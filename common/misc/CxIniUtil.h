#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/IniDocument.h"

// One private-profile ini file. Every read sees the file as it is on disk now (helpers write
// status and error files while we read them); every write replaces the file atomically, unless
// writes are batched, in which case they reach the disk together at Commit().
class CxIniUtil {
 public:
  // The file is `folder` followed directly by `fileName`; an empty folder means the program's own.
  CxIniUtil(std::string_view folder, std::string_view fileName);

  // Replaces the path when the argument is not empty.
  void SetPath(std::string_view path);
  const std::string& Path() const { return path_; }

  // Returns the length read; the text is cut to size-1 bytes at a whole UTF-8 character.
  std::size_t ReadText(std::string_view section, std::string_view key, char* buffer,
                       std::size_t size, std::string_view defaultValue) const;
  std::string ReadText(std::string_view section, std::string_view key,
                       std::string_view defaultValue = {}) const;
  // Leading decimal digits with an optional sign; the default when nothing is read.
  int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // An empty key writes nothing.
  bool WriteText(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, int value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);

  // Reads the file once; reads and writes from now on use that copy in memory until Commit(),
  // which saves it in one atomic replace, or EndBatch(), which drops it. When the file exists
  // but cannot be read, reads give their defaults, Commit() refuses to write over the file, and
  // both return false with LastError().
  bool BeginBatch();
  bool Commit();
  void EndBatch();

  // Why the last failed read or write failed.
  const std::string& LastError() const { return error_; }

  // Parses the leading integer of a text the way ReadInt does.
  static int ParseLeadingInt(std::string_view text);

 private:
  std::string path_;
  std::unique_ptr<platform::IniDocument> batch_;
  bool batchUnread_ = false;
  mutable std::string error_;
};

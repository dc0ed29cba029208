#include "misc/CxIniUtil.h"

#include <climits>
#include <optional>

#include "misc/Utf8.h"
#include "platform/PlatformPaths.h"

CxIniUtil::CxIniUtil(std::string_view folder, std::string_view fileName) {
  std::string dir = folder.empty() ? platform::ExecutableFolder() : std::string(folder);
  path_ = dir + std::string(fileName);
}

void CxIniUtil::SetPath(std::string_view path) {
  if (!path.empty()) path_ = std::string(path);
}

std::string CxIniUtil::ReadText(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  if (key.empty()) return {};
  std::optional<std::string> v;
  if (batch_) {
    v = batch_->Get(section, key);
  } else {
    platform::IniDocument doc;
    if (doc.Load(path_))
      v = doc.Get(section, key);
    else
      error_ = doc.Error();
  }
  return v ? *v : std::string(defaultValue);
}

std::size_t CxIniUtil::ReadText(std::string_view section, std::string_view key, char* buffer,
                                std::size_t size, std::string_view defaultValue) const {
  if (key.empty() || !buffer || size == 0) return 0;
  return Utf8CopyTo(buffer, size, ReadText(section, key, defaultValue));
}

int CxIniUtil::ParseLeadingInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<int>(v);
}

int CxIniUtil::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
  std::string text = ReadText(section, key, {});
  if (text.size() > 31) text.resize(31);
  if (text.empty()) return defaultValue;
  return ParseLeadingInt(text);
}

bool CxIniUtil::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInt(section, key, defaultValue ? 1 : 0) != 0;
}

bool CxIniUtil::WriteText(std::string_view section, std::string_view key, std::string_view value) {
  if (key.empty()) return false;
  if (batch_) {
    batch_->Set(section, key, value);
    return true;
  }
  platform::IniDocument doc;
  if (!doc.Load(path_)) {
    error_ = doc.Error() + "; left as it is";
    return false;
  }
  doc.Set(section, key, value);
  if (doc.Save(path_)) return true;
  error_ = doc.Error();
  return false;
}

bool CxIniUtil::WriteInt(std::string_view section, std::string_view key, int value) {
  return WriteText(section, key, std::to_string(value));
}

bool CxIniUtil::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteText(section, key, value ? "1" : "0");
}

bool CxIniUtil::BeginBatch() {
  batch_ = std::make_unique<platform::IniDocument>();
  batchUnread_ = !batch_->Load(path_);
  if (!batchUnread_) return true;
  error_ = batch_->Error();
  batch_->Parse({});
  return false;
}

bool CxIniUtil::Commit() {
  if (!batch_) return true;
  bool ok = false;
  if (batchUnread_)
    error_ = error_ + "; left as it is";  // writing would drop every key we could not read
  else if (!(ok = batch_->Save(path_)))
    error_ = batch_->Error();
  EndBatch();
  return ok;
}

void CxIniUtil::EndBatch() {
  batch_.reset();
  batchUnread_ = false;
}

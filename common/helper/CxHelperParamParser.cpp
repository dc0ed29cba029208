#include "helper/CxHelperParamParser.h"

#include <cmath>
#include <limits>

#include "misc/CxFile.h"
#include "misc/Utf8.h"

namespace {

// The integer part of a number, kept within int32 (a cast of NaN or of an out-of-range value
// would be undefined).
std::int32_t IntegerPart(double v) {
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  if (v >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(v);
}

}  // namespace

bool CxHelperParamParser::Set(std::int32_t key, std::int32_t type, Value value) {
  for (Entry& e : entries_) {
    if (e.key != key) continue;
    if (e.type != type) return false;
    e.value = std::move(value);
    return true;
  }
  entries_.push_back(Entry{key, type, std::move(value)});
  return true;
}

bool CxHelperParamParser::SetInt(std::int32_t key, std::int32_t value) {
  return Set(key, kParamInt32, value);
}
bool CxHelperParamParser::SetNumber(std::int32_t key, double value) {
  return Set(key, kParamNumber, value);
}
bool CxHelperParamParser::SetBool(std::int32_t key, bool value) {
  return Set(key, kParamBool, value);
}
bool CxHelperParamParser::SetText(std::int32_t key, const char* text) {
  if (!text) return false;
  return SetText(key, std::string_view(text));
}
bool CxHelperParamParser::SetText(std::int32_t key, std::string_view text) {
  return Set(key, kParamText, std::string(Utf8Prefix(text, kMaxTextBytes)));
}

bool CxHelperParamParser::Write(std::string_view path) {
  if (!path.empty()) path_ = std::string(path);
  CxFile f;
  error_.clear();
  if (!f.Replace(path_)) {
    error_ = f.ErrorText();
    return false;
  }
  f.WriteInt32(static_cast<std::int32_t>(entries_.size()));
  for (const Entry& e : entries_) {
    f.WriteInt32(e.key);
    f.WriteInt32(e.type);
    switch (e.type) {
      case kParamInt32:
        f.WriteInt32(std::get<std::int32_t>(e.value));
        break;
      case kParamNumber:
        f.WriteInt32(IntegerPart(std::get<double>(e.value)));
        break;
      case kParamText:
        f.WriteText(std::get<std::string>(e.value));
        break;
      case kParamBool:
        f.WriteBool32(std::get<bool>(e.value));
        break;
      default:
        break;
    }
  }
  if (!f.Close()) {
    error_ = f.ErrorText();
    return false;
  }
  return true;
}

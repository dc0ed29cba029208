#include "HelperParams.h"

#include "helper/HelperCodes.h"
#include "misc/CxFile.h"
#include "misc/CxIniUtil.h"

bool HelperParams::Read(const std::string& path) {
  values_.clear();
  CxFile f;
  std::int32_t count = 0;
  if (!f.Open(path, "rb") || !f.ReadInt32(count)) return false;
  if (count < 0 || count > kMaxEntries) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t key = 0, type = 0, number = 0;
    if (!f.ReadInt32(key) || !f.ReadInt32(type)) return false;
    switch (type) {
      case kParamText: {
        std::string text;
        if (!f.ReadText(text, kMaxTextBytes)) return false;
        values_.emplace(key, std::move(text));
        break;
      }
      case kParamInt32:
      case kParamNumber:
      case kParamBool:
        if (!f.ReadInt32(number)) return false;
        values_.emplace(key, std::to_string(number));
        break;
      default:
        // The size of an unknown value is unknown: nothing after it can be trusted.
        return false;
    }
  }
  return true;
}

std::string HelperParams::Text(std::int32_t key) const {
  auto it = values_.find(key);
  return it == values_.end() ? std::string() : it->second;
}

int HelperParams::Int(std::int32_t key, int fallback) const {
  auto it = values_.find(key);
  if (it == values_.end() || it->second.empty()) return fallback;
  return CxIniUtil::ParseLeadingInt(it->second);
}

#include "misc/FixedText.h"

void TextStorage::CopyFrom(std::string_view text) {
  if (text.empty()) {
    Release();
    return;
  }
  auto n = static_cast<std::uint32_t>(text.size());
  if (block_ && size() == n) {
    // Same length: overwrite in place (memmove, as the text may come from this very block).
    std::memmove(block_ + kHeader, text.data(), n);
    return;
  }
  char* fresh = new char[kHeader + n + 1];
  std::memcpy(fresh, &n, sizeof n);
  std::memcpy(fresh + kHeader, text.data(), n);
  fresh[kHeader + n] = '\0';
  Release();
  block_ = fresh;
}

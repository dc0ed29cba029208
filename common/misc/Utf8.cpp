#include "misc/Utf8.h"

#include <cstring>

namespace {

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;  // stray byte: stands alone
}

}  // namespace

std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes) {
  if (auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
  if (text.size() <= maxBytes) return text;
  std::size_t cut = maxBytes;
  // Look back at most three bytes for the lead of the character that the cut would split.
  std::size_t k = cut;
  while (k > 0 && cut - k < 3 && IsContinuation(static_cast<unsigned char>(text[k]))) --k;
  auto lead = static_cast<unsigned char>(text[k]);
  if (k < cut && !IsContinuation(lead) && k + SequenceLength(lead) > cut) cut = k;
  return text.substr(0, cut);
}

std::size_t Utf8CopyTo(char* buffer, std::size_t capacity, std::string_view text) {
  if (!buffer || capacity == 0) return 0;
  std::string_view kept = Utf8Prefix(text, capacity - 1);
  std::memcpy(buffer, kept.data(), kept.size());
  buffer[kept.size()] = '\0';
  return kept.size();
}

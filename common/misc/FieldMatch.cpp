#include "misc/FieldMatch.h"

#include "platform/AsciiCase.h"

namespace {

using platform::FoldAscii;

inline bool IsBreak(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

bool LineBreakEqual(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    while (i < a.size() && IsBreak(a[i])) ++i;
    while (j < b.size() && IsBreak(b[j])) ++j;
    if (i == a.size() || j == b.size()) break;
    if (FoldAscii(a[i]) != FoldAscii(b[j])) return false;
    ++i;
    ++j;
  }
  return i == a.size() && j == b.size();
}

bool FoldEqual(std::string_view a, std::string_view b) {
  return platform::EqualsNoCase(a, b);
}

bool MatchEqual(const MatchValue& a, const MatchValue& b) {
  switch (a.kind) {
    case MatchKind::kIgnore:
      return true;
    case MatchKind::kFold:
      return FoldEqual(a.text, b.text);
    case MatchKind::kLineBreak:
      return LineBreakEqual(a.text, b.text);
    case MatchKind::kBytes:
      return a.size == b.size && std::memcmp(a.bytes, b.bytes, a.size) == 0;
  }
  return true;
}

void MatchHasher::Add(const MatchValue& v) {
  switch (v.kind) {
    case MatchKind::kIgnore:
      break;
    case MatchKind::kFold:
      for (char c : v.text) Byte(static_cast<unsigned char>(FoldAscii(c)));
      break;
    case MatchKind::kLineBreak: {
      // LineBreakEqual holds exactly when the texts agree, folded, with every CR and LF removed,
      // and either both or neither end in a line break.
      for (char c : v.text)
        if (!IsBreak(c)) Byte(static_cast<unsigned char>(FoldAscii(c)));
      Byte(!v.text.empty() && IsBreak(v.text.back()) ? 1 : 0);
      break;
    }
    case MatchKind::kBytes:
      for (std::size_t i = 0; i < v.size; ++i) Byte(v.bytes[i]);
      break;
  }
  // Field separator: keeps "ab"+"c" apart from "a"+"bc".
  Byte(0xFF);
  h_ = (h_ ^ (h_ >> 29)) * 0xbf58476d1ce4e5b9ULL;
}

#include "misc/CSV.h"

namespace {
constexpr char kQuote = '"';

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The item without its first and last character (its quotes when it has them), taking whole
// UTF-8 characters so that a cut never leaves half of one; too short for two: empty.
std::string_view Unquoted(std::string_view item) {
  if (item.empty()) return item;
  std::size_t first = 1;
  while (first < item.size() && IsContinuation(item[first])) ++first;
  std::size_t last = item.size() - 1;
  while (last > first && IsContinuation(item[last])) --last;
  if (last < first) return {};
  return item.substr(first, last - first);
}
}  // namespace

CSV::CSV(std::string_view text, bool quoteAware) {
  if (text.empty()) return;
  bool inQuotes = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    bool end = i == text.size();
    if (!end && quoteAware && text[i] == kQuote) inQuotes = !inQuotes;
    if (!end && (text[i] != ',' || inQuotes)) continue;
    std::string_view item = text.substr(start, i - start);
    if (quoteAware && !end) {
      item = Unquoted(item);
    }
    items_.emplace_back(item);
    start = i + 1;
  }
}

const std::string& CSV::Item(int index) const {
  static const std::string kEmpty;
  if (index < 0 || index >= Count()) return kEmpty;
  return items_[static_cast<std::size_t>(index)];
}

#include "misc/CSV.h"

namespace {
constexpr char kQuote = '"';
}

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
      // An item too short to hold its two quotes becomes empty.
      item = item.size() >= 2 ? item.substr(1, item.size() - 2) : std::string_view();
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

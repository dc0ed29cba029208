#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits comma-separated text at once. When quote-aware, commas inside double quotes do not split
// and every item but the last loses its first and last character (its quotes); the last item
// keeps its text as it stands.
class CSV {
 public:
  CSV(std::string_view text, bool quoteAware);

  int Count() const { return static_cast<int>(items_.size()); }
  // Empty for an index outside the items.
  const std::string& Item(int index) const;

 private:
  std::vector<std::string> items_;
};

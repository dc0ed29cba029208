#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// An ini file with the private-profile rules: sections and keys match without regard to ASCII
// case, blanks around names and values are trimmed, the first of duplicate sections or keys
// wins, lines beginning with ';' are comments. Lines it does not change are kept as they were.
class IniDocument {
 public:
  // A missing file reads as an empty document (true); false only when it exists and cannot be read.
  bool Load(const std::string& path);
  void Parse(std::string_view text);
  std::string Serialize() const;
  // Replaces the file atomically, owner-only.
  bool Save(const std::string& path) const;

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Adds the section and key when missing.
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Line {
    enum Kind { kOther, kSection, kKey } kind = kOther;
    std::string name;   // section or key, trimmed
    std::string value;  // key value, trimmed
    std::string raw;    // as read, without line end
  };
  std::size_t FindSection(std::string_view section) const;  // index of header or npos

  std::vector<Line> lines_;
  std::string eol_ = "\n";
};

}  // namespace platform

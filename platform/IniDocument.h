#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// An ini file with the private-profile rules: sections and keys match without regard to ASCII
// case, blanks around names and values are trimmed, the first of duplicate sections or keys
// wins, lines beginning with ';' are comments. Lines it does not change are kept as they were.
class IniDocument {
 public:
  // A missing file reads as an empty document (true). False when it exists and cannot be read,
  // or is not a regular file (a FIFO or a device would block or never end); Error() says why.
  bool Load(const std::string& path);
  // A UTF-8 byte-order mark before the first line is accepted and written back.
  void Parse(std::string_view text);
  std::string Serialize() const;
  // Replaces the file atomically, owner-only. A symbolic link stays a link: its final target is
  // replaced. False with Error() on failure, the previous file then being intact.
  bool Save(const std::string& path) const;
  const std::string& Error() const { return error_; }

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Adds the section and key when missing.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  // The sections with a header, in file order (duplicates once), and one section's keys and
  // values in file order.
  std::vector<std::string> SectionNames() const;
  std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

 private:
  struct Line {
    bool isKey = false;
    std::string name;   // key, trimmed
    std::string value;  // key value, trimmed
    std::string raw;    // as read, without line end
  };
  // Lines grouped by section, so that adding a key moves only its own section's lines; the
  // first holds whatever stands before the first header.
  struct Section {
    bool hasHeader = false;
    std::string name;    // trimmed
    std::string header;  // as read
    std::vector<Line> lines;
  };
  std::size_t FindSection(std::string_view section) const;  // index or npos

  std::vector<Section> sections_;
  std::string eol_ = "\n";
  bool bom_ = false;
  mutable std::string error_;
};

}  // namespace platform

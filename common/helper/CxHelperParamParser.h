#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "helper/HelperCodes.h"

// The parameter set handed to a helper program: an ordered list of typed entries, written as
// an int32 count followed by key, type and value of each entry in the order first set.
// The same file format serves every helper-based connector.
class CxHelperParamParser {
 public:
  // Helpers read texts into 1,024-byte buffers.
  static constexpr std::size_t kMaxTextBytes = 1023;

  // An existing key keeps its position and must keep its type, else nothing changes (false).
  bool SetInt(std::int32_t key, std::int32_t value);
  bool SetNumber(std::int32_t key, double value);
  bool SetBool(std::int32_t key, bool value);
  // A null text fails; a longer text is cut to kMaxTextBytes at a whole UTF-8 character.
  bool SetText(std::int32_t key, const char* text);
  bool SetText(std::int32_t key, std::string_view text);

  // A non-empty path replaces the stored one. The file may hold a password: owner-only.
  bool Write(std::string_view path = {});

  const std::string& Path() const { return path_; }
  // Why the last Write failed.
  const std::string& ErrorText() const { return error_; }
  std::size_t Count() const { return entries_.size(); }

 private:
  using Value = std::variant<std::int32_t, double, std::string, bool>;
  struct Entry {
    std::int32_t key;
    std::int32_t type;
    Value value;
  };
  bool Set(std::int32_t key, std::int32_t type, Value value);

  std::string path_;
  std::string error_;
  std::vector<Entry> entries_;
};

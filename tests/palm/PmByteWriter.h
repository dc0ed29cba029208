#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds hand-made Palm files byte by byte, so a test can put any value anywhere.
class PmByteWriter {
 public:
  PmByteWriter& U8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  PmByteWriter& U16(std::uint16_t v) {
    return U8(static_cast<std::uint8_t>(v)).U8(static_cast<std::uint8_t>(v >> 8));
  }
  PmByteWriter& I32(std::int64_t v) {
    auto u = static_cast<std::uint32_t>(v);
    return U16(static_cast<std::uint16_t>(u)).U16(static_cast<std::uint16_t>(u >> 16));
  }
  PmByteWriter& Raw(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  PmByteWriter& Counted(const std::string& s) {
    if (s.size() < 0xFF) {
      U8(static_cast<std::uint8_t>(s.size()));
    } else {
      U8(0xFF).U16(static_cast<std::uint16_t>(s.size()));
    }
    return Raw(s);
  }
  PmByteWriter& Int(std::int64_t v, std::uint32_t code = 1) { return I32(code).I32(v); }
  PmByteWriter& Text(const std::string& s) { return I32(5).I32(1).Counted(s); }

  // A layout-1 memo pad header with no categories and the given schema.
  PmByteWriter& Memo1Header(std::int64_t fieldsPerRow = 6, std::uint16_t fieldCount = 6) {
    I32(0x4D500100).Counted("C:\\memopad.dat").Counted("");
    I32(128).I32(0);
    I32(64).I32(fieldsPerRow).I32(0).I32(1).I32(2).U16(fieldCount);
    const std::uint16_t types[] = {1, 1, 1, 5, 6, 1};
    for (std::uint16_t i = 0; i < fieldCount && i < 6; ++i) U16(types[i]);
    for (std::uint16_t i = 6; i < fieldCount; ++i) U16(1);
    return *this;
  }
  PmByteWriter& MemoRecord(std::int64_t id, const std::string& text, std::int64_t priv = 0,
                           std::int64_t category = 0) {
    return Int(id).Int(0).Int(id).Text(text).Int(priv, 6).Int(category);
  }

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::size_t Size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

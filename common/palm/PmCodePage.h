#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Turns the 8-bit text of Palm Desktop files into UTF-8. Windows-1252 goes through a table of our
// own; any other single-byte code page through iconv ("CP<n>"), which is slower but rare.
//
// The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become their C1
// code points (U+0081 ...), as Windows' own conversion does: nothing is lost and the raw byte can
// be recovered from the text.
class PmCodePage {
 public:
  static constexpr std::uint32_t kWindows1252 = 1252;

  explicit PmCodePage(std::uint32_t codePage = kWindows1252);

  // Whether text in this code page can be decoded (0 means the default, 1252). Callers refuse an
  // unknown one rather than read text as 1252.
  static bool Known(std::uint32_t codePage);

  std::uint32_t CodePage() const { return codePage_; }
  // Whether text can be decoded; an unknown code page falls back to 1252 and says false here.
  bool Supported() const { return supported_; }

  // Appends the UTF-8 form of at most `maxBytes` bytes of output, cut back to a whole character;
  // decoding stops at the first NUL, as the fixed-width fields do.
  void Decode(std::string_view raw, std::string& out, std::size_t maxBytes = SIZE_MAX) const;
  std::string Decode(std::string_view raw, std::size_t maxBytes = SIZE_MAX) const {
    std::string out;
    Decode(raw, out, maxBytes);
    return out;
  }

  // The Windows-1252 table on its own: UTF-8 bytes of one byte value.
  static std::string_view Windows1252(std::uint8_t byte);

 private:
  void DecodeIconv(std::string_view raw, std::string& out) const;

  std::uint32_t codePage_;
  bool supported_ = true;
  bool iconv_ = false;
};

#include "pe/PeBuilder.h"

#include <cassert>

namespace {

class PeByteWriter {
 public:
  std::size_t Size() const { return bytes_.size(); }
  void PadTo(std::size_t n) {
    if (bytes_.size() < n) bytes_.resize(n, 0);
  }
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

PeImage BuildPe(bool plus, std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  PeImage img;
  PeByteWriter w;
  w.U16(0x5A4D);
  w.PadTo(0x3C);
  w.U32(0x80);
  w.PadTo(0x80);
  w.U32(0x00004550);
  w.U16(plus ? 0x8664 : 0x014C);
  img.sectionCount = w.Size();
  w.U16(2);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  img.optionalSize = w.Size();
  const std::uint16_t optSize = plus ? 240 : 224;
  w.U16(optSize);
  w.U16(0x0102);
  const std::size_t opt = w.Size();
  img.magic = opt;
  w.U16(plus ? 0x20B : 0x10B);
  w.PadTo(opt + (plus ? 108 : 92));
  img.dirCount = w.Size();
  w.U32(16);
  for (std::uint32_t i = 0; i < 16; ++i) {
    if (i == 2) img.resourceRva = w.Size();
    w.U32(i == 2 ? kRsrcRva : 0);
    w.U32(i == 2 ? 0x200 : 0);
  }
  assert(w.Size() == opt + optSize);
  // A code section first, so the resource RVA must be found by its own section.
  const char text[8] = {'.', 't', 'e', 'x', 't'};
  for (char ch : text) w.U8(static_cast<std::uint8_t>(ch));
  w.U32(0x100);
  w.U32(0x1000);
  w.U32(0x200);
  w.U32(0x200);
  w.PadTo(w.Size() + 16);
  const char rsrc[8] = {'.', 'r', 's', 'r', 'c'};
  for (char ch : rsrc) w.U8(static_cast<std::uint8_t>(ch));
  w.U32(0x200);
  w.U32(kRsrcRva);
  img.rawSize = w.Size();
  w.U32(0);  // patched below
  img.rawOffset = w.Size();
  w.U32(kRsrcFile);
  w.PadTo(w.Size() + 16);

  auto dir = [&](std::uint16_t named, std::uint16_t ids) {
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U16(named);
    w.U16(ids);
  };
  w.PadTo(kRsrcFile);
  // Root: a named type (its offset word happens to read 16), an icon type, then RT_VERSION.
  dir(1, 2);
  img.rootIdCount = kRsrcFile + 14;
  w.U32(0x80000000u | 16);
  w.U32(0x80000000u | 0x58);  // would lead straight to the language level
  w.U32(3);
  w.U32(0x80000000u | 0x58);
  img.versionEntry = w.Size() + 4;
  w.U32(16);
  w.U32(0x80000000u | 0x40);
  assert(w.Size() == kRsrcFile + 0x28u);
  w.PadTo(kRsrcFile + 0x40);
  dir(0, 1);  // names
  w.U32(1);
  img.nameEntry = w.Size();
  w.U32(0x80000000u | 0x58);
  w.PadTo(kRsrcFile + 0x58);
  dir(0, 1);  // languages
  w.U32(0x409);
  img.languageEntry = w.Size();
  w.U32(0x70);
  w.PadTo(kRsrcFile + 0x70);
  img.dataRva = w.Size();
  w.U32(kRsrcRva + 0x80);
  img.dataSize = w.Size();
  w.U32(92);
  w.U32(0);
  w.U32(0);
  // VS_VERSIONINFO with nothing after its fixed part.
  img.versionLength = w.Size();
  w.U16(92);
  img.versionValueLength = w.Size();
  w.U16(52);
  w.U16(0);
  img.versionKey = w.Size();
  for (char ch : std::string("VS_VERSION_INFO")) w.U16(static_cast<std::uint16_t>(ch));
  w.U16(0);
  w.U16(0);  // padding to 32 bits
  img.signature = w.Size();
  w.U32(0xFEEF04BD);
  w.U32(0x00010000);
  w.U32(static_cast<std::uint32_t>(a) << 16 | b);
  w.U32(static_cast<std::uint32_t>(c) << 16 | d);
  w.U32(0x00050000);  // product version differs from the file version
  w.U32(0);
  w.PadTo(img.signature + 52);
  img.bytes = std::move(w.bytes_);
  img.Put32(img.rawSize, static_cast<std::uint32_t>(img.bytes.size() - kRsrcFile));
  return img;
}

std::string PeFileContent(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  std::vector<std::uint8_t> bytes = BuildPe(false, a, b, c, d).bytes;
  return std::string(bytes.begin(), bytes.end());
}

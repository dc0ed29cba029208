#pragma once

// Minimal PE images with a version resource: what the tests of everything that reads a program's
// file version parse, and the palm.exe of the demo Palm Desktop installation.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Offsets of the fields the hostile variants change.
struct PeImage {
  std::vector<std::uint8_t> bytes;
  std::size_t lfanew = 0x3C, sectionCount, optionalSize, magic, dirCount, resourceRva;
  std::size_t rawOffset, rawSize;
  std::size_t rootIdCount, versionEntry, nameEntry, languageEntry, dataRva, dataSize;
  std::size_t versionLength, versionValueLength, versionKey, signature;

  void Put32(std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void Put16(std::size_t at, std::uint16_t v) {
    bytes[at] = static_cast<std::uint8_t>(v);
    bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }
};

inline constexpr std::uint32_t kRsrcRva = 0x2000;
inline constexpr std::uint32_t kRsrcFile = 0x400;

// An image (PE32+ when `plus`) whose file version is a.b.c.d and whose last bytes are its
// VS_FIXEDFILEINFO, so that every shorter prefix is damaged.
PeImage BuildPe(bool plus, std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d);

// The bytes of a 32-bit image of file version a.b.c.d.
std::string PeFileContent(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d);

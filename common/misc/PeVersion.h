#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The file version in the version resource of a Windows executable (PE32 or PE32+), read
// without Windows: DOS header, PE header, section table, resource tree (RT_VERSION, first name,
// first language), VS_VERSIONINFO and its VS_FIXEDFILEINFO.
struct PeFileVersion {
  std::uint16_t major = 0;
  std::uint16_t minor = 0;
  std::uint16_t build = 0;
  std::uint16_t revision = 0;
  friend bool operator==(const PeFileVersion&, const PeFileVersion&) = default;
};

// nullopt when the image is not a PE file, has no version resource, or is damaged.
std::optional<PeFileVersion> ReadPeFileVersion(std::span<const std::uint8_t> image);

// The same for a file on disk. A file name that does not exist in that case is looked up without
// regard to ASCII case, as Windows would (files copied from Windows keep whatever case they had).
std::optional<PeFileVersion> ReadPeFileVersionFromFile(const std::string& path);

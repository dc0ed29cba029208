#include "misc/PeVersion.h"

#include <dirent.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/AsciiCase.h"

namespace {

// The largest executables we look at are some tens of MB; refuse to read past this.
constexpr std::uint64_t kMaxImageBytes = 256u * 1024u * 1024u;
// Real images carry a few dozen resource types; more entries than this is a damaged directory.
constexpr std::uint32_t kMaxDirectoryEntries = 4096;
// The key of the root block, "VS_VERSION_INFO", is 15 UTF-16 units and its terminator.
constexpr std::size_t kVersionKeyUnits = 16;

constexpr std::uint16_t kDosMagic = 0x5A4D;     // "MZ"
constexpr std::uint32_t kPeMagic = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr std::uint32_t kNameIsStringFlag = 0x80000000u;
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BDu;
constexpr std::size_t kFixedFileInfoBytes = 52;

// Little-endian reads at absolute offsets; a read outside the bytes sets the failure flag and
// yields 0, so a chain of reads is checked once.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Size() const { return bytes_.size(); }
  bool Ok() const { return ok_; }
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= bytes_.size() && bytes_.size() - offset >= count;
  }
  std::uint16_t U16(std::uint64_t offset) {
    if (!Has(offset, 2)) return Fail<std::uint16_t>();
    auto o = static_cast<std::size_t>(offset);
    return static_cast<std::uint16_t>(bytes_[o] | (bytes_[o + 1] << 8));
  }
  std::uint32_t U32(std::uint64_t offset) {
    if (!Has(offset, 4)) return Fail<std::uint32_t>();
    auto o = static_cast<std::size_t>(offset);
    return static_cast<std::uint32_t>(bytes_[o]) | static_cast<std::uint32_t>(bytes_[o + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[o + 2]) << 16 |
           static_cast<std::uint32_t>(bytes_[o + 3]) << 24;
  }

 private:
  template <typename T>
  T Fail() {
    ok_ = false;
    return 0;
  }

  std::span<const std::uint8_t> bytes_;
  bool ok_ = true;
};

struct Section {
  std::uint32_t virtualAddress = 0;
  std::uint32_t rawSize = 0;
  std::uint32_t rawOffset = 0;
};

class PeImage {
 public:
  explicit PeImage(std::span<const std::uint8_t> bytes) : r_(bytes) {}

  // Reads the headers and the section table; false when this is not a usable PE image.
  bool ReadHeaders() {
    if (r_.U16(0) != kDosMagic) return false;
    std::uint64_t pe = r_.U32(0x3C);
    if (!r_.Ok() || r_.U32(pe) != kPeMagic) return false;
    std::uint64_t coff = pe + 4;
    std::uint16_t sectionCount = r_.U16(coff + 2);
    std::uint16_t optionalSize = r_.U16(coff + 16);
    std::uint64_t opt = coff + 20;
    std::uint16_t magic = r_.U16(opt);
    if (!r_.Ok()) return false;
    // Where the data directories start differs between PE32 and PE32+; nothing else we read does.
    std::uint64_t countField = 0;
    if (magic == kPe32Magic) {
      countField = 92;
    } else if (magic == kPe32PlusMagic) {
      countField = 108;
    } else {
      return false;
    }
    std::uint32_t dirCount = r_.U32(opt + countField);
    std::uint64_t dirEntry = countField + 4 + 8 * std::uint64_t{kResourceDirectoryIndex};
    if (!r_.Ok() || dirCount <= kResourceDirectoryIndex || optionalSize < dirEntry + 8) {
      return false;
    }
    resourceRva_ = r_.U32(opt + dirEntry);
    std::uint64_t table = opt + optionalSize;
    if (!r_.Has(table, std::uint64_t{sectionCount} * 40)) return false;
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
      std::uint64_t s = table + std::uint64_t{i} * 40;
      sections_.push_back({r_.U32(s + 12), r_.U32(s + 16), r_.U32(s + 20)});
    }
    return r_.Ok() && resourceRva_ != 0;
  }

  // The file offset of `size` bytes at `rva`, when they lie in one section's data in the file.
  std::optional<std::uint64_t> MapRva(std::uint64_t rva, std::uint64_t size) const {
    for (const Section& s : sections_) {
      if (rva < s.virtualAddress) continue;
      std::uint64_t into = rva - s.virtualAddress;
      if (into >= s.rawSize || s.rawSize - into < size) continue;
      std::uint64_t offset = std::uint64_t{s.rawOffset} + into;
      if (r_.Has(offset, size)) return offset;
    }
    return std::nullopt;
  }

  // The OffsetToData of the wanted entry of the directory at `dirOffset` (relative to the
  // resource section): the entry with `id` when given, else the first one.
  std::optional<std::uint32_t> FindEntry(std::uint32_t dirOffset, std::optional<std::uint32_t> id) {
    auto dir = MapRva(std::uint64_t{resourceRva_} + dirOffset, 16);
    if (!dir) return std::nullopt;
    std::uint32_t named = r_.U16(*dir + 12);
    std::uint32_t ids = r_.U16(*dir + 14);
    std::uint32_t count = named + ids;
    if (!r_.Ok() || count == 0 || count > kMaxDirectoryEntries) return std::nullopt;
    auto entries = MapRva(std::uint64_t{resourceRva_} + dirOffset + 16, std::uint64_t{count} * 8);
    if (!entries) return std::nullopt;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint32_t name = r_.U32(*entries + std::uint64_t{i} * 8);
      std::uint32_t data = r_.U32(*entries + std::uint64_t{i} * 8 + 4);
      if (!id || ((name & kNameIsStringFlag) == 0 && name == *id)) return data;
    }
    return std::nullopt;
  }

  std::optional<PeFileVersion> Version() {
    // Type, then name, then language: the first two must lead to directories, the last to data.
    // The depth is fixed, so a directory that points back at itself cannot loop.
    auto type = FindEntry(0, kRtVersion);
    if (!type || (*type & kSubdirectoryFlag) == 0) return std::nullopt;
    auto name = FindEntry(*type & ~kSubdirectoryFlag, std::nullopt);
    if (!name || (*name & kSubdirectoryFlag) == 0) return std::nullopt;
    auto language = FindEntry(*name & ~kSubdirectoryFlag, std::nullopt);
    if (!language || (*language & kSubdirectoryFlag) != 0) return std::nullopt;

    auto entry = MapRva(std::uint64_t{resourceRva_} + *language, 16);
    if (!entry) return std::nullopt;
    std::uint32_t dataRva = r_.U32(*entry);
    std::uint32_t dataSize = r_.U32(*entry + 4);
    if (!r_.Ok()) return std::nullopt;
    auto block = MapRva(dataRva, dataSize);
    if (!block) return std::nullopt;
    return ParseVersionInfo(*block, dataSize);
  }

 private:
  // VS_VERSIONINFO: wLength, wValueLength, wType, szKey, padding to 32 bits, VS_FIXEDFILEINFO.
  std::optional<PeFileVersion> ParseVersionInfo(std::uint64_t block, std::uint32_t size) {
    std::uint32_t length = r_.U16(block);
    std::uint32_t valueLength = r_.U16(block + 2);
    if (!r_.Ok() || length > size) return std::nullopt;
    static constexpr char kKey[] = "VS_VERSION_INFO";
    for (std::size_t i = 0; i < kVersionKeyUnits; ++i) {
      if (r_.U16(block + 6 + 2 * i) != static_cast<unsigned char>(kKey[i])) return std::nullopt;
    }
    std::uint64_t value = (6 + 2 * kVersionKeyUnits + 3) & ~std::uint64_t{3};
    if (valueLength < kFixedFileInfoBytes || length < value + kFixedFileInfoBytes) {
      return std::nullopt;
    }
    std::uint64_t info = block + value;
    if (r_.U32(info) != kFixedFileInfoSignature) return std::nullopt;
    std::uint32_t ms = r_.U32(info + 8);
    std::uint32_t ls = r_.U32(info + 12);
    if (!r_.Ok()) return std::nullopt;
    return PeFileVersion{static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
                         static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
  }

  ByteReader r_;
  std::uint32_t resourceRva_ = 0;
  std::vector<Section> sections_;
};

// The path with its file name spelt as it is on disk, when only the case differs.
std::string FindNoCase(const std::string& path) {
  auto slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return {};
  std::string found;
  while (const dirent* e = ::readdir(dir)) {
    if (platform::EqualsNoCase(e->d_name, name)) {
      found = (slash == std::string::npos ? std::string() : folder) + e->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

bool ReadFileCapped(const std::string& path, std::vector<std::uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // The file is read in pieces, so the size the file system reports is never what we allocate.
  char buf[65536];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    auto n = static_cast<std::size_t>(in.gcount());
    if (kMaxImageBytes - out.size() < n) return false;
    out.insert(out.end(), buf, buf + n);
  }
  return true;
}

}  // namespace

std::optional<PeFileVersion> ReadPeFileVersion(std::span<const std::uint8_t> image) {
  PeImage pe(image);
  if (!pe.ReadHeaders()) return std::nullopt;
  return pe.Version();
}

std::optional<PeFileVersion> ReadPeFileVersionFromFile(const std::string& path) {
  if (path.empty()) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  if (!ReadFileCapped(path, bytes)) {
    std::string other = FindNoCase(path);
    bytes.clear();
    if (other.empty() || !ReadFileCapped(other, bytes)) return std::nullopt;
  }
  return ReadPeFileVersion(bytes);
}

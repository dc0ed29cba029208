// The file source reads through a 64 KB window that the typed reads only leave at its edge; the
// memory source holds everything in one window. Driven by the same seeded walk of reads, skips
// and rewinds over the same bytes, the two must agree on every value, position and failure.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "palm/PmByteSource.h"

namespace {

struct Step {
  int kind;  // 0 u8, 1 u16, 2 u32, 3 u64, 4 bytes, 5 string, 6 skip, 7 rewind
  std::size_t size;
};

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

// Every value one walk reads, and the state after each step, as text to compare.
std::string Walk(PmByteSource& src, const std::vector<Step>& steps) {
  std::string log;
  for (const Step& s : steps) {
    switch (s.kind) {
      case 0:
        log += std::to_string(src.ReadU8());
        break;
      case 1:
        log += std::to_string(src.ReadU16());
        break;
      case 2:
        log += std::to_string(src.ReadU32());
        break;
      case 3:
        log += std::to_string(src.ReadU64());
        break;
      case 4: {
        std::string bytes(s.size, 'x');
        log += std::to_string(src.ReadBytes(bytes.data(), bytes.size())) + bytes;
        break;
      }
      case 5: {
        std::string text = "old";
        log += std::to_string(src.ReadString(text, s.size)) + text;
        break;
      }
      case 6:
        log += std::to_string(src.Skip(s.size));
        break;
      default:
        log += std::to_string(src.Rewind());
    }
    log += "|" + std::to_string(src.Position()) + (src.Failed() ? "F" : "") + "\n";
  }
  return log;
}

std::vector<Step> Steps(std::uint32_t seed, std::size_t total) {
  std::mt19937 rng(seed);
  std::vector<Step> steps;
  for (int i = 0; i < 4000; ++i) {
    int kind = static_cast<int>(rng() % 8);
    if (kind == 7 && rng() % 8 != 0) kind = 2;  // rewinds are rare
    std::size_t size = 0;
    if (kind == 4 || kind == 5) size = rng() % 3 == 0 ? rng() % 70000 : rng() % 300;
    if (kind == 6) size = rng() % 4 == 0 ? rng() % (total + 10) : rng() % 5000;
    steps.push_back({kind, size});
  }
  return steps;
}

TEST(PmByteSource, FileAndMemoryReadAlikeAcrossWindowEdges) {
  TempDir dir;
  // Sizes around the file source's window, and a file of several windows.
  for (std::size_t size :
       {std::size_t{0}, std::size_t{3}, PmFileSource::kBufferBytes - 1, PmFileSource::kBufferBytes,
        PmFileSource::kBufferBytes + 5, std::size_t{300000}}) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE("size " + std::to_string(size) + " seed " + std::to_string(seed));
      const std::vector<std::uint8_t> bytes = Bytes(size, seed);
      const std::string path = dir.file("bytes.bin");
      WriteFile(path, std::string(bytes.begin(), bytes.end()));
      const std::vector<Step> steps = Steps(seed * 7919, size);
      PmMemorySource memory(bytes);
      PmFileSource file(path);
      ASSERT_TRUE(file.IsOpen());
      EXPECT_EQ(Walk(file, steps), Walk(memory, steps));
    }
  }
}

TEST(PmByteSource, ReadsAreLittleEndianAndAFailedSourceReadsZeros) {
  const std::vector<std::uint8_t> bytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
  PmMemorySource src(bytes);
  EXPECT_EQ(src.ReadU16(), 0x0201u);
  EXPECT_EQ(src.ReadU32(), 0x06050403u);
  EXPECT_EQ(src.ReadU16(), 0u);  // one byte left: the read fails
  EXPECT_TRUE(src.Failed());
  EXPECT_EQ(src.ReadU8(), 0u);  // and stays failed, though a byte is left
  EXPECT_EQ(src.Position(), 6u);
  std::string text = "kept?";
  EXPECT_FALSE(src.ReadString(text, 0));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(src.Rewind());
  EXPECT_FALSE(src.Failed());
  EXPECT_EQ(src.ReadU8(), 1u);
}

TEST(PmByteSource, MissingFileHasFailedFromTheStart) {
  PmFileSource src("/nonexistent/quillmove/bytes.bin");
  EXPECT_FALSE(src.IsOpen());
  EXPECT_TRUE(src.Failed());
  EXPECT_EQ(src.ReadU32(), 0u);
  EXPECT_EQ(src.Size(), 0u);
}

}  // namespace

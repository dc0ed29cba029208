#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

// Bytes of a Palm Desktop file, read front to back. Every typed read is little-endian and sets a
// sticky failure flag when the bytes run out, so a decoder reads a whole record straight through
// and checks once. A failed source reads as zeros and never moves again.
class PmByteSource {
 public:
  virtual ~PmByteSource() = default;

  bool Failed() const { return failed_; }
  void Fail() { failed_ = true; }
  std::uint64_t Position() const { return position_; }
  std::uint64_t Size() const { return size_; }
  std::uint64_t BytesLeft() const { return size_ - position_; }

  // Reads exactly n bytes into out, or fails and leaves out zeroed.
  bool ReadBytes(void* out, std::size_t n);
  bool Skip(std::uint64_t n);
  // Back to the first byte with the failure cleared, for a second reading of the same bytes.
  bool Rewind();

  std::uint8_t ReadU8();
  std::uint16_t ReadU16();
  std::uint32_t ReadU32();
  std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadU32()); }
  std::uint64_t ReadU64();
  double ReadF64();

 protected:
  explicit PmByteSource(std::uint64_t size) : size_(size) {}
  // Copies n bytes at the current position; the caller has checked that they exist.
  virtual bool Fetch(void* out, std::size_t n) = 0;
  virtual bool Seek(std::uint64_t position) = 0;

 private:
  std::uint64_t size_;
  std::uint64_t position_ = 0;
  bool failed_ = false;
};

// Parses bytes that are already in memory (tests, fuzzers). The bytes must outlive the source.
class PmMemorySource final : public PmByteSource {
 public:
  explicit PmMemorySource(std::span<const std::uint8_t> bytes)
      : PmByteSource(bytes.size()), bytes_(bytes) {}

 private:
  bool Fetch(void* out, std::size_t n) override;
  bool Seek(std::uint64_t position) override;

  std::span<const std::uint8_t> bytes_;
  std::size_t cursor_ = 0;
};

// Reads a file through a fixed buffer; the file is held open for the life of the source.
class PmFileSource final : public PmByteSource {
 public:
  // A source whose file did not open has failed from the start.
  static constexpr std::size_t kBufferBytes = 64 * 1024;
  explicit PmFileSource(const std::string& path);
  ~PmFileSource() override;
  PmFileSource(const PmFileSource&) = delete;
  PmFileSource& operator=(const PmFileSource&) = delete;

  bool IsOpen() const { return file_ != nullptr; }

 private:
  explicit PmFileSource(std::FILE* file);
  static std::uint64_t SizeOf(std::FILE* file);
  bool Fetch(void* out, std::size_t n) override;
  bool Seek(std::uint64_t position) override;
  bool Refill();

  std::FILE* file_ = nullptr;
  std::vector<std::uint8_t> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

// The other direction: typed little-endian writes with a sticky failure flag.
class PmByteSink {
 public:
  virtual ~PmByteSink() = default;

  bool Failed() const { return failed_; }
  std::uint64_t Position() const { return position_; }

  bool WriteBytes(const void* data, std::size_t n);
  void WriteU8(std::uint8_t v) { WriteBytes(&v, 1); }
  void WriteU16(std::uint16_t v);
  void WriteU32(std::uint32_t v);
  void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
  void WriteU64(std::uint64_t v);
  void WriteF64(double v);

 protected:
  virtual bool Put(const void* data, std::size_t n) = 0;

 private:
  std::uint64_t position_ = 0;
  bool failed_ = false;
};

class PmMemorySink final : public PmByteSink {
 public:
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  bool Put(const void* data, std::size_t n) override;
  std::vector<std::uint8_t> bytes_;
};

// Writes into a new or emptied file; Close() flushes and tells whether every byte reached the disk.
class PmFileSink final : public PmByteSink {
 public:
  explicit PmFileSink(const std::string& path);
  ~PmFileSink() override;
  PmFileSink(const PmFileSink&) = delete;
  PmFileSink& operator=(const PmFileSink&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  bool Close();

 private:
  bool Put(const void* data, std::size_t n) override;
  std::FILE* file_ = nullptr;
};

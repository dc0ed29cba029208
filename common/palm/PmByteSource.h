#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

// Bytes of a Palm Desktop file, read front to back. Every typed read is little-endian and sets a
// sticky failure flag when the bytes run out, so a decoder reads a whole record straight through
// and checks once. A failed source reads as zeros and never moves again.
//
// The bytes at hand sit in a window the implementation hands over; typed reads inside it are
// inline loads, and only a read across its end goes to the implementation for more.
class PmByteSource {
 public:
  virtual ~PmByteSource() = default;

  bool Failed() const { return failed_; }
  void Fail() {
    failed_ = true;
    cur_ = end_;
  }
  std::uint64_t Position() const { return position_; }
  std::uint64_t Size() const { return size_; }
  std::uint64_t BytesLeft() const { return size_ - position_; }

  // Reads exactly n bytes into out, or fails and leaves out zeroed.
  bool ReadBytes(void* out, std::size_t n) {
    // n - 1 keeps an empty read on the slow path, which answers for a failed source.
    if (n - 1 < Window()) {
      std::memcpy(out, cur_, n);
      Advance(n);
      return true;
    }
    return ReadBytesSlow(out, n);
  }
  // Replaces out with exactly n bytes, or fails and leaves it empty.
  bool ReadString(std::string& out, std::size_t n);
  bool Skip(std::uint64_t n);
  // Back to the first byte with the failure cleared, for a second reading of the same bytes.
  bool Rewind();

  std::uint8_t ReadU8() {
    if (Window() >= 1) {
      std::uint8_t v = *cur_;
      Advance(1);
      return v;
    }
    return static_cast<std::uint8_t>(ReadSlow(1));
  }
  std::uint16_t ReadU16() {
    if (Window() >= 2) {
      std::uint16_t v = static_cast<std::uint16_t>(cur_[0] | (cur_[1] << 8));
      Advance(2);
      return v;
    }
    return static_cast<std::uint16_t>(ReadSlow(2));
  }
  std::uint32_t ReadU32() {
    if (Window() >= 4) {
      std::uint32_t v = Le32(cur_);
      Advance(4);
      return v;
    }
    return static_cast<std::uint32_t>(ReadSlow(4));
  }
  std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadU32()); }
  std::uint64_t ReadU64();
  double ReadF64();

 protected:
  explicit PmByteSource(std::uint64_t size) : size_(size) {}
  // Hands over the bytes that start at Position(); at most BytesLeft() of them are read.
  void SetWindow(const std::uint8_t* begin, std::size_t n) {
    cur_ = begin;
    end_ = begin + std::min<std::uint64_t>(n, BytesLeft());
  }
  // Sets a window of at least one byte at Position(), or answers false.
  virtual bool Refill() = 0;
  // Moves to position (not past Size()) and sets the window there, possibly empty.
  virtual bool Seek(std::uint64_t position) = 0;

 private:
  std::size_t Window() const { return static_cast<std::size_t>(end_ - cur_); }
  void Advance(std::size_t n) {
    cur_ += n;
    position_ += n;
  }
  static std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  }
  bool ReadBytesSlow(void* out, std::size_t n);
  std::uint32_t ReadSlow(std::size_t n);  // 1 to 4 bytes, little-endian

  std::uint64_t size_;
  std::uint64_t position_ = 0;
  const std::uint8_t* cur_ = nullptr;
  const std::uint8_t* end_ = nullptr;
  bool failed_ = false;
};

// Parses bytes that are already in memory (tests, fuzzers). The bytes must outlive the source.
class PmMemorySource final : public PmByteSource {
 public:
  explicit PmMemorySource(std::span<const std::uint8_t> bytes)
      : PmByteSource(bytes.size()), bytes_(bytes) {
    SetWindow(bytes_.data(), bytes_.size());
  }

 private:
  bool Refill() override { return false; }  // the window is all there is
  bool Seek(std::uint64_t position) override;

  std::span<const std::uint8_t> bytes_;
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
  // Why the file did not open, for the person ("not a regular file", "No such file ...").
  const std::string& OpenError() const { return openError_; }
  // Opens only a regular file for reading: a FIFO or device would block or never end.
  static std::FILE* OpenRegular(const std::string& path, std::string& error);

 private:
  struct Opening {
    std::FILE* file;
    std::string error;
  };
  static Opening Open(const std::string& path);
  explicit PmFileSource(Opening opening);
  static std::uint64_t SizeOf(std::FILE* file);
  bool Refill() override;
  bool Seek(std::uint64_t position) override;

  std::FILE* file_ = nullptr;
  std::vector<std::uint8_t> buffer_;
  std::string openError_;
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

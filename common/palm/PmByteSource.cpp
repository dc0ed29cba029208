#include "palm/PmByteSource.h"

#include <algorithm>
#include <bit>
#include <cstring>

bool PmByteSource::ReadBytes(void* out, std::size_t n) {
  if (failed_ || BytesLeft() < n || !Fetch(out, n)) {
    failed_ = true;
    if (n) std::memset(out, 0, n);
    return false;
  }
  position_ += n;
  return true;
}

bool PmByteSource::Skip(std::uint64_t n) {
  if (failed_ || BytesLeft() < n || !Seek(position_ + n)) {
    failed_ = true;
    return false;
  }
  position_ += n;
  return true;
}

bool PmByteSource::Rewind() {
  if (!Seek(0)) return false;
  position_ = 0;
  failed_ = false;
  return true;
}

std::uint8_t PmByteSource::ReadU8() {
  std::uint8_t b = 0;
  ReadBytes(&b, 1);
  return b;
}

std::uint16_t PmByteSource::ReadU16() {
  std::uint8_t b[2];
  ReadBytes(b, sizeof b);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t PmByteSource::ReadU32() {
  std::uint8_t b[4];
  ReadBytes(b, sizeof b);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint64_t PmByteSource::ReadU64() {
  std::uint64_t low = ReadU32();
  std::uint64_t high = ReadU32();
  return low | (high << 32);
}

double PmByteSource::ReadF64() {
  return std::bit_cast<double>(ReadU64());
}

bool PmMemorySource::Fetch(void* out, std::size_t n) {
  if (bytes_.size() - cursor_ < n) return false;
  if (n) std::memcpy(out, bytes_.data() + cursor_, n);
  cursor_ += n;
  return true;
}

bool PmMemorySource::Seek(std::uint64_t position) {
  if (position > bytes_.size()) return false;
  cursor_ = static_cast<std::size_t>(position);
  return true;
}

PmFileSource::PmFileSource(const std::string& path)
    : PmFileSource(path.empty() ? nullptr : std::fopen(path.c_str(), "rb")) {}

PmFileSource::PmFileSource(std::FILE* file) : PmByteSource(SizeOf(file)), file_(file) {
  if (!file_) Fail();
}

PmFileSource::~PmFileSource() {
  if (file_) std::fclose(file_);
}

std::uint64_t PmFileSource::SizeOf(std::FILE* file) {
  if (!file || std::fseek(file, 0, SEEK_END) != 0) return 0;
  long size = std::ftell(file);
  std::rewind(file);
  return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

bool PmFileSource::Refill() {
  if (buffer_.empty()) buffer_.resize(kBufferBytes);
  begin_ = 0;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  return end_ > 0;
}

bool PmFileSource::Fetch(void* out, std::size_t n) {
  if (!file_) return false;
  auto* dst = static_cast<std::uint8_t*>(out);
  while (n > 0) {
    if (begin_ == end_ && !Refill()) return false;
    std::size_t take = std::min(n, end_ - begin_);
    std::memcpy(dst, buffer_.data() + begin_, take);
    begin_ += take;
    dst += take;
    n -= take;
  }
  return true;
}

bool PmFileSource::Seek(std::uint64_t position) {
  if (!file_) return false;
  // Forward skips within the buffer are the common case (reserved blocks).
  std::uint64_t ahead = position - Position();
  if (position >= Position() && ahead <= end_ - begin_) {
    begin_ += static_cast<std::size_t>(ahead);
    return true;
  }
  begin_ = end_ = 0;
  return std::fseek(file_, static_cast<long>(position), SEEK_SET) == 0;
}

bool PmByteSink::WriteBytes(const void* data, std::size_t n) {
  if (failed_ || !Put(data, n)) {
    failed_ = true;
    return false;
  }
  position_ += n;
  return true;
}

void PmByteSink::WriteU16(std::uint16_t v) {
  std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
  WriteBytes(b, sizeof b);
}

void PmByteSink::WriteU32(std::uint32_t v) {
  std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                       static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  WriteBytes(b, sizeof b);
}

void PmByteSink::WriteU64(std::uint64_t v) {
  WriteU32(static_cast<std::uint32_t>(v));
  WriteU32(static_cast<std::uint32_t>(v >> 32));
}

void PmByteSink::WriteF64(double v) {
  WriteU64(std::bit_cast<std::uint64_t>(v));
}

bool PmMemorySink::Put(const void* data, std::size_t n) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + n);
  return true;
}

PmFileSink::PmFileSink(const std::string& path)
    : file_(path.empty() ? nullptr : std::fopen(path.c_str(), "wb")) {}

PmFileSink::~PmFileSink() {
  Close();
}

bool PmFileSink::Close() {
  if (!file_) return false;
  bool ok = std::fclose(file_) == 0 && !Failed();
  file_ = nullptr;
  return ok;
}

bool PmFileSink::Put(const void* data, std::size_t n) {
  return file_ && std::fwrite(data, 1, n, file_) == n;
}

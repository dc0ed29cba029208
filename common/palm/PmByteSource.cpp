#include "palm/PmByteSource.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool PmByteSource::ReadBytesSlow(void* out, std::size_t n) {
  auto* dst = static_cast<std::uint8_t*>(out);
  if (failed_ || BytesLeft() < n) {
    Fail();
    if (n) std::memset(out, 0, n);
    return false;
  }
  std::size_t done = 0;
  while (done < n) {
    if (Window() == 0 && !Refill()) {
      Fail();
      std::memset(dst, 0, n);
      return false;
    }
    std::size_t take = std::min(n - done, Window());
    std::memcpy(dst + done, cur_, take);
    Advance(take);
    done += take;
  }
  return true;
}

std::uint32_t PmByteSource::ReadSlow(std::size_t n) {
  std::uint8_t b[4] = {};
  ReadBytesSlow(b, n);
  return Le32(b);
}

bool PmByteSource::ReadString(std::string& out, std::size_t n) {
  if (n == 0) {
    out.clear();
    return !failed_;
  }
  if (n <= Window()) {
    out.assign(reinterpret_cast<const char*>(cur_), n);
    Advance(n);
    return !failed_;
  }
  out.assign(n, '\0');
  if (!ReadBytesSlow(out.data(), n)) {
    out.clear();
    return false;
  }
  return true;
}

bool PmByteSource::Skip(std::uint64_t n) {
  if (failed_ || BytesLeft() < n) {
    Fail();
    return false;
  }
  if (n <= Window()) {
    Advance(static_cast<std::size_t>(n));
    return true;
  }
  position_ += n;
  cur_ = end_ = nullptr;
  if (!Seek(position_)) {
    Fail();
    return false;
  }
  return true;
}

bool PmByteSource::Rewind() {
  position_ = 0;
  cur_ = end_ = nullptr;
  if (!Seek(0)) {
    Fail();
    return false;
  }
  failed_ = false;
  return true;
}

std::uint64_t PmByteSource::ReadU64() {
  std::uint64_t low = ReadU32();
  std::uint64_t high = ReadU32();
  return low | (high << 32);
}

double PmByteSource::ReadF64() {
  return std::bit_cast<double>(ReadU64());
}

bool PmMemorySource::Seek(std::uint64_t position) {
  if (position > bytes_.size()) return false;
  auto at = static_cast<std::size_t>(position);
  SetWindow(bytes_.data() + at, bytes_.size() - at);
  return true;
}

std::FILE* PmFileSource::OpenRegular(const std::string& path, std::string& error) {
  error.clear();
  if (path.empty()) {
    error = "no file name";
    return nullptr;
  }
  // Non-blocking so that opening a FIFO cannot wait for a writer; cleared once it is known to be
  // a regular file.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "a folder, not a file" : "not a regular file";
    ::close(fd);
    return nullptr;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) {
    error = std::strerror(errno);
    ::close(fd);
  }
  return file;
}

PmFileSource::Opening PmFileSource::Open(const std::string& path) {
  Opening o{nullptr, {}};
  o.file = OpenRegular(path, o.error);
  return o;
}

PmFileSource::PmFileSource(const std::string& path) : PmFileSource(Open(path)) {}

PmFileSource::PmFileSource(Opening opening)
    : PmByteSource(SizeOf(opening.file)),
      file_(opening.file),
      openError_(std::move(opening.error)) {
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
  if (!file_) return false;
  if (buffer_.empty()) buffer_.resize(kBufferBytes);
  std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  SetWindow(buffer_.data(), got);
  return got > 0 && BytesLeft() > 0;
}

bool PmFileSource::Seek(std::uint64_t position) {
  if (!file_ || position > Size()) return false;
  // The window is empty after a seek; the next read refills from here.
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

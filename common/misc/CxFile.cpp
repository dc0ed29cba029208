#include "misc/CxFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the exchange files are little-endian");

CxFile::~CxFile() {
  if (replace_) replace_->Abort();
  Close();
}

void CxFile::SetError(int error) {
  if (error_.empty()) error_ = std::strerror(error ? error : EIO);
}

bool CxFile::Replace(const std::string& path, bool replaceLinkTarget) {
  Close();
  failed_ = false;
  error_.clear();
  auto writer = std::make_unique<platform::AtomicFileWriter>();
  if (!writer->Open(path, 0600, replaceLinkTarget)) {
    error_ = writer->Error();
    return false;
  }
  // The stream gets its own descriptor: closing it leaves the writer's open for the flush.
  int fd = ::dup(writer->Descriptor());
  file_ = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
  if (!file_) {
    SetError(errno);
    if (fd >= 0) ::close(fd);
    return false;
  }
  replace_ = std::move(writer);
  return true;
}

bool CxFile::Open(const std::string& path, const char* mode, bool ownerOnly) {
  Close();
  failed_ = false;
  error_.clear();
  if (path.empty() || !mode || !*mode) return false;
  if (ownerOnly && mode[0] != 'r') {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode[0] == 'a' ? O_APPEND : O_TRUNC);
    int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) {
      SetError(errno);
      return false;
    }
    ::fchmod(fd, 0600);
    file_ = ::fdopen(fd, mode);
    if (!file_) ::close(fd);
  } else if (mode[0] == 'r') {
    // Only regular files: a FIFO or a device named as a data file would block for ever or never
    // end. The open itself must not wait for a FIFO's writer either.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      SetError(errno);
      return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      error_ = "not a regular file";
      return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file_ = ::fdopen(fd, "rb");
    if (!file_) ::close(fd);
  } else {
    file_ = std::fopen(path.c_str(), mode);
  }
  if (!file_ && error_.empty()) SetError(errno);
  return file_ != nullptr;
}

bool CxFile::Close() {
  bool ok = !failed_;
  if (file_) {
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
      if (ok) SetError(errno);
      ok = false;
    }
    if (std::fclose(file_) != 0 && ok) {
      SetError(errno);
      ok = false;
    }
  }
  file_ = nullptr;
  if (replace_) {
    if (!ok) {
      replace_->Abort();
    } else if (!replace_->Commit()) {
      error_ = replace_->Error();
      ok = false;
    }
    replace_.reset();
  }
  if (!ok) failed_ = true;
  return ok;
}

bool CxFile::ReadBytes(void* data, std::size_t size) {
  if (!file_) return false;
  if (size == 0) return !failed_;
  if (std::fread(data, 1, size, file_) != size) {
    if (std::ferror(file_)) SetError(errno);
    failed_ = true;
  }
  return !failed_;
}

bool CxFile::WriteBytes(const void* data, std::size_t size) {
  if (!file_) return false;
  if (size && std::fwrite(data, 1, size, file_) != size) {
    SetError(errno);
    failed_ = true;
  }
  return !failed_;
}

bool CxFile::Skip(std::size_t size) {
  char scratch[4096];
  while (size > 0) {
    std::size_t n = size < sizeof scratch ? size : sizeof scratch;
    if (!ReadBytes(scratch, n)) return false;
    size -= n;
  }
  return true;
}

bool CxFile::ReadInt32(std::int32_t& value) {
  return ReadBytes(&value, 4);
}
bool CxFile::ReadUInt32(std::uint32_t& value) {
  return ReadBytes(&value, 4);
}
bool CxFile::ReadDouble(double& value) {
  return ReadBytes(&value, 8);
}
bool CxFile::ReadBool32(bool& value) {
  std::int32_t v = 0;
  bool ok = ReadInt32(v);
  value = v != 0;
  return ok;
}

bool CxFile::ReadText(std::string& text, std::size_t maxBytes, std::int32_t* length) {
  text.clear();
  std::int32_t n = 0;
  if (length) *length = 0;
  if (!ReadInt32(n)) return false;
  if (length) *length = n;
  if (n < 0) {
    failed_ = true;
    return false;
  }
  auto total = static_cast<std::size_t>(n);
  // One byte beyond the limit tells whether the cut falls inside a character.
  std::size_t keep = total <= maxBytes ? total : maxBytes + 1;
  // Never trust the length for an allocation: read in chunks, so a lying length ends at EOF.
  char chunk[4096];
  std::size_t left = keep;
  while (left > 0) {
    std::size_t step = left < sizeof chunk ? left : sizeof chunk;
    if (!ReadBytes(chunk, step)) return false;
    text.append(chunk, step);
    left -= step;
  }
  if (!Skip(total - keep)) return false;
  if (text.size() > maxBytes || text.find('\0') != std::string::npos)
    text = std::string(Utf8Prefix(text, maxBytes));
  return true;
}

bool CxFile::ReadText(char* buffer, std::size_t capacity, std::int32_t* length) {
  if (!buffer || capacity == 0) return false;
  std::string s;
  bool ok = ReadText(s, capacity - 1, length);
  Utf8CopyTo(buffer, capacity, s);
  return ok;
}

bool CxFile::WriteInt32(std::int32_t value) {
  return WriteBytes(&value, 4);
}
bool CxFile::WriteUInt32(std::uint32_t value) {
  return WriteBytes(&value, 4);
}
bool CxFile::WriteBool32(bool value) {
  return WriteInt32(value ? 1 : 0);
}
bool CxFile::WriteDouble(double value) {
  return WriteBytes(&value, 8);
}

bool CxFile::WriteText(std::string_view text) {
  if (text.size() > 0x7FFFFFFF) return false;
  return WriteInt32(static_cast<std::int32_t>(text.size())) && WriteBytes(text.data(), text.size());
}

bool CxFile::WriteLine(std::string_view text) {
  return WriteBytes(text.data(), text.size()) && WriteBytes("\r\n", 2);
}

std::int64_t CxFile::FileSize(const std::string& path) {
  if (path.empty()) return -1;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

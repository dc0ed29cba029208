#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "misc/FixedText.h"
#include "platform/AtomicFile.h"

// A buffered binary file. Its typed operations define the encoding of every file exchanged with
// the helper programs: little-endian 32-bit integers, little-endian IEEE doubles, and texts as a
// 32-bit length followed by that many bytes without terminator.
//
// Unlike a bare stream, a read that runs past the end of the file fails (and the failure sticks),
// so a truncated file can never pass for a complete one.
class CxFile {
 public:
  CxFile() = default;
  CxFile(const CxFile&) = delete;
  CxFile& operator=(const CxFile&) = delete;
  // A replacement that was never closed is dropped: the previous file stays.
  ~CxFile();

  // mode: "rb", "wb" or "ab". Files written with ownerOnly get permissions 0600 when created.
  bool Open(const std::string& path, const char* mode, bool ownerOnly = false);
  // Writes an owner-only replacement of `path`, which takes its place only when Close succeeds;
  // until then, and after any failure, the previous file stays whole.
  bool Replace(const std::string& path, bool replaceLinkTarget = false);
  // False when a write failed or the data could not be put on disk (a full disk may only show
  // here); a replacement then never takes the file's place.
  bool Close();
  // Why the file could not be opened, written or closed, for a person.
  const std::string& ErrorText() const { return error_; }
  bool IsOpen() const { return file_ != nullptr; }
  // True once any read or write has failed since the file was opened.
  bool Failed() const { return failed_; }

  bool ReadInt32(std::int32_t& value);
  bool ReadUInt32(std::uint32_t& value);
  bool ReadBool32(bool& value);
  bool ReadDouble(double& value);

  // Reads a counted text; keeps at most `maxBytes` bytes (cut back to a whole UTF-8 character)
  // but consumes all of them, so the fields after it stay in step. `length` gets the stored length.
  bool ReadText(std::string& text, std::size_t maxBytes, std::int32_t* length = nullptr);
  template <std::size_t N>
  bool ReadText(FixedText<N>& field, std::int32_t* length = nullptr) {
    std::string s;
    if (!ReadText(s, N - 1, length)) return false;
    field = s;
    return true;
  }
  // The C form: a buffer of `capacity` bytes that is always terminated.
  bool ReadText(char* buffer, std::size_t capacity, std::int32_t* length = nullptr);

  bool WriteInt32(std::int32_t value);
  bool WriteUInt32(std::uint32_t value);
  bool WriteBool32(bool value);
  bool WriteDouble(double value);
  bool WriteText(std::string_view text);
  // The text and CR LF.
  bool WriteLine(std::string_view text);
  bool WriteBytes(const void* data, std::size_t size);
  bool ReadBytes(void* data, std::size_t size);

  // Size of the file at `path`, or -1 when it cannot be opened.
  static std::int64_t FileSize(const std::string& path);

 private:
  bool Skip(std::size_t size);
  void SetError(int error);

  std::FILE* file_ = nullptr;
  std::unique_ptr<platform::AtomicFileWriter> replace_;
  bool failed_ = false;
  std::string error_;
};

// Feeds arbitrary bytes to the readers of the Google helper data files. The first byte picks the
// file kind, the rest is the file. Whatever reads must write back, and that must read and write
// back to the same bytes.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "google/CxGAddrUtil.h"
#include "google/CxGDateUtil.h"
#include "google/CxGNoteUtil.h"
#include "google/CxGTaskUtil.h"
#include "misc/CxDebugUtil.h"

namespace {

std::string g_folder;

// A file in the fuzzer's folder. Not a memory file: the writers replace files through a
// temporary beside them, which a /proc/self/fd path cannot have.
class MemFile {
 public:
  MemFile() : path_(g_folder + "io-" + std::to_string(next_++)) {}
  ~MemFile() { ::unlink(path_.c_str()); }
  MemFile(const MemFile&) = delete;
  MemFile& operator=(const MemFile&) = delete;
  bool Fill(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
  }
  const std::string& Path() const { return path_; }
  std::string Bytes() const {
    std::string out;
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    if (!f) return out;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    std::fclose(f);
    return out;
  }

 private:
  static inline unsigned long next_ = 0;
  std::string path_;
};

// Reads `in` with a fresh connector; on success writes its records to `out`.
template <class Util, class Read, class Write>
bool ReadThenWrite(const MemFile& in, const MemFile& out, Read read, Write write) {
  Util u;
  u.SetFolder(g_folder);
  if (!read(u, in.Path())) return false;
  if (!write(u, out.Path())) std::abort();
  return true;
}

template <class Util, class Read, class Write>
void Exercise(const std::uint8_t* data, std::size_t size, Read read, Write write) {
  MemFile in, once, twice;
  if (!in.Fill(data, size)) return;
  if (!ReadThenWrite<Util>(in, once, read, write)) return;
  if (!ReadThenWrite<Util>(once, twice, read, write)) std::abort();
  if (once.Bytes() != twice.Bytes()) std::abort();
}

// Contacts have no public writer apart from Submit: write the native list as Submit would.
bool WriteContacts(CxGAddrUtil& u, const std::string& path) {
  CxFile f;
  if (!f.Open(path, "wb")) return false;
  f.WriteInt32(static_cast<std::int32_t>(u.NativeCount()));
  for (std::size_t i = 0; i < u.NativeCount(); ++i) WriteGoogleContact(f, *u.NativeAt(i));
  return !f.Failed();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Errors always reach the debug log; a fuzzing run would fill the disk with them.
  CxDebugUtil::Instance().SetFolder("/dev/");
  CxDebugUtil::Instance().SetFileName("null");
  // The connectors delete their exchange files in their folder: give them one of their own.
  char tmpl[] = "/tmp/gdata-fuzz-XXXXXX";
  if (::mkdtemp(tmpl)) g_folder = std::string(tmpl) + "/";
  std::atexit([] {
    std::error_code ec;
    if (!g_folder.empty()) std::filesystem::remove_all(g_folder, ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || g_folder.empty()) return 0;
  const std::uint8_t kind = data[0] % 5;
  ++data;
  --size;
  switch (kind) {
    case 0:
      Exercise<CxGAddrUtil>(
          data, size, [](CxGAddrUtil& u, const std::string& p) { return u.ReadContactsFile(p); },
          WriteContacts);
      break;
    case 1:
      Exercise<CxGDateUtil>(
          data, size, [](CxGDateUtil& u, const std::string& p) { return u.ReadEventsFile(p); },
          [](CxGDateUtil& u, const std::string& p) { return u.WriteEventsFile(p); });
      break;
    case 2:
      Exercise<CxGDateUtil>(
          data, size, [](CxGDateUtil& u, const std::string& p) { return u.ReadCalendarsFile(p); },
          [](CxGDateUtil& u, const std::string& p) { return u.WriteCalendarsFile(p); });
      break;
    case 3:
      Exercise<CxGTaskUtil>(
          data, size, [](CxGTaskUtil& u, const std::string& p) { return u.ReadDataFile(p); },
          [](CxGTaskUtil& u, const std::string& p) { return u.WriteDataFile(p); });
      break;
    default:
      Exercise<CxGNoteUtil>(
          data, size, [](CxGNoteUtil& u, const std::string& p) { return u.ReadDataFile(p); },
          [](CxGNoteUtil& u, const std::string& p) { return u.WriteDataFile(p); });
      break;
  }
  return 0;
}

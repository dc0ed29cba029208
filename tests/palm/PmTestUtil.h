#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "misc/CommonContact.h"
#include "misc/CxDebugUtil.h"
#include "palm/PmByteSource.h"
#include "palm/PmDBUtil.h"

// Loads a loader from bytes in memory.
inline bool LoadBytes(PmDBUtil& db, const std::vector<std::uint8_t>& bytes) {
  PmMemorySource src(bytes);
  return db.Load(src);
}

inline std::vector<std::uint8_t> SaveBytes(const PmDBUtil& db) {
  PmMemorySink sink;
  db.Save(sink);
  return sink.Bytes();
}

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::filesystem::path PalmSamples() {
  return std::filesystem::path(QM_SHARED_DIR) / "palm-samples";
}

// Errors always reach the debug log; keep them out of the source tree while tests run.
inline void QuietDebugLog() {
  static bool done = [] {
    CxDebugUtil::Instance().SetFolder(std::filesystem::temp_directory_path().string() + "/");
    CxDebugUtil::Instance().SetFileName("qm-palm-tests.log");
    return true;
  }();
  (void)done;
}

using PhoneFieldMap = std::map<std::string, std::string>;

// The filled phone and e-mail fields of a contact, by field name.
inline PhoneFieldMap PhoneFields(const CommonContact& c) {
  const std::pair<const char*, const TextStorage*> all[] = {{"WorkPhone", &c.WorkPhone},
                                                            {"WorkPhone2", &c.WorkPhone2},
                                                            {"HomePhone", &c.HomePhone},
                                                            {"HomePhone2", &c.HomePhone2},
                                                            {"WorkFax", &c.WorkFax},
                                                            {"HomeFax", &c.HomeFax},
                                                            {"OtherPhone", &c.OtherPhone},
                                                            {"PrimaryPhone", &c.PrimaryPhone},
                                                            {"MobilePhone", &c.MobilePhone},
                                                            {"Pager", &c.Pager},
                                                            {"Email1", &c.Email1},
                                                            {"Email2", &c.Email2},
                                                            {"Email3", &c.Email3}};
  PhoneFieldMap filled;
  for (const auto& [name, field] : all)
    if (!field->empty()) filled[name] = field->str();
  return filled;
}

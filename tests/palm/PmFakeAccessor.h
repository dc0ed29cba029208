#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "misc/CxDebugUtil.h"
#include "palm/PmDataAccessor.h"

// Tables in memory, handed out row by row exactly as stored: rows may be short, long or hold
// values of any kind, as a damaged database could.
class PmFakeAccessor : public PmDataAccessor {
 public:
  std::map<std::string, std::vector<PmRow>, std::less<>> tables;
  bool openSucceeds = true;
  int opens = 0;

  bool Open(PmDbKind, const std::string&) override {
    ++opens;
    return openSucceeds;
  }
  std::optional<PmRow> Query(std::string_view table, PmColumns columns) override {
    lastSelect_ = BuildSql(table, "", PmSqlOperation::kSelect, columns);
    walk_ = tables.find(table);
    next_ = 0;
    return Next();
  }
  std::optional<PmRow> NextRow(std::string_view table, PmColumns columns) override {
    if (BuildSql(table, "", PmSqlOperation::kSelect, columns) != lastSelect_) return std::nullopt;
    return Next();
  }
  bool Execute(const std::string&, bool) override { return false; }

 private:
  std::optional<PmRow> Next() {
    if (walk_ == tables.end() || next_ >= walk_->second.size()) return std::nullopt;
    return walk_->second[next_++];
  }

  std::map<std::string, std::vector<PmRow>, std::less<>>::const_iterator walk_ = tables.end();
  std::size_t next_ = 0;
};

// A full row for record type Rec: every column empty except those named.
template <class Rec>
PmRow RowOf(const std::map<std::string, PmValue>& values) {
  PmRow row;
  for (const auto& c : Rec::Columns()) {
    auto it = values.find(std::string(c.name));
    row.push_back(it == values.end() ? PmValue{} : it->second);
  }
  return row;
}

// Errors always reach the debug log; keep them out of the source tree while tests run.
inline void QuietPalm6Log() {
  static bool done = [] {
    CxDebugUtil::Instance().SetFolder(std::filesystem::temp_directory_path().string() + "/");
    CxDebugUtil::Instance().SetFileName("qm-palm6-tests.log");
    return true;
  }();
  (void)done;
}

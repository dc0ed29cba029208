#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "misc/CxDebugUtil.h"
#include "palm/PmDataAccessor.h"
#include "palm/PmEx2Port.h"

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
    lastSelect_ = BuildSql(table, "", columns);
    walk_ = tables.find(table);
    next_ = 0;
    return Next();
  }
  std::optional<PmRow> NextRow(std::string_view table, PmColumns columns) override {
    if (BuildSql(table, "", columns) != lastSelect_) return std::nullopt;
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

// A 6.x port for the Palm sources whose loader reads Tables() through a fake accessor, so that a
// source can be driven from rows to common records. The tables are taken at each load.
template <class Loader>
class PmFakeEx2Port final : public PmEx2Port<typename Loader::Record> {
 public:
  using Rec = typename Loader::Record;
  using Tables = std::map<std::string, std::vector<PmRow>, std::less<>>;

  static Tables& Rows() {
    static Tables tables;
    return tables;
  }
  static std::unique_ptr<PmEx2Port<Rec>> Make() { return std::make_unique<PmFakeEx2Port>(); }

  bool LoadByUser(const std::string& userFolder) override {
    loader_.SetAccessor(Fake());
    return loader_.LoadByUser(userFolder);
  }
  bool LoadByFile(const std::string& path) override {
    loader_.SetAccessor(Fake());
    return loader_.LoadByFile(path);
  }
  std::string UserFile(const std::string& userFolder) const override {
    return loader_.UserFile(userFolder);
  }
  CxLoadReport Report() const override { return loader_.Report(); }
  bool Opens(const std::string& path) override {
    Loader probe;
    probe.SetAccessor(Fake());
    return probe.Open(path);
  }
  const std::vector<Rec>& Records() const override { return loader_.Records(); }
  void Clear() override { loader_.Clear(); }
  std::span<const PmFieldEntry> FieldTable() const override { return real_.FieldTable(); }
  std::string FieldText(Rec& rec, std::int32_t id) const override {
    return real_.FieldText(rec, id);
  }

 private:
  static std::unique_ptr<PmFakeAccessor> Fake() {
    auto fake = std::make_unique<PmFakeAccessor>();
    fake->tables = Rows();
    return fake;
  }

  Loader loader_;
  PmEx2PortOf<Loader> real_;  // the field table and field texts, as the program has them
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

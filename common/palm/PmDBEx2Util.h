#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "misc/CxDebugUtil.h"
#include "misc/CxLoadReport.h"
#include "palm/PmCategoryEx2.h"
#include "palm/PmDataAccessor.h"
#include "palm/PmEx2Field.h"
#include "palm/PmInfoEx2.h"

// What the four Palm Desktop 6.x loaders share: the accessor, the categories and the database
// information of one ".mdb" database.
class PmDBEx2Util {
 public:
  // Palm Desktop databases hold thousands of records; a damaged table must not exhaust memory.
  static constexpr std::size_t kMaxRecords = 1'000'000;

  virtual ~PmDBEx2Util();
  PmDBEx2Util(const PmDBEx2Util&) = delete;
  PmDBEx2Util& operator=(const PmDBEx2Util&) = delete;

  // Opens the database (an mdbtools accessor is made on first use) and reloads the categories.
  bool Open(const std::string& path);
  bool Opened() const { return opened_; }
  bool LoadCategories();
  bool LoadInformation();
  const PmCategoryEx2* CategoryById(std::int32_t id) const { return categories_.ById(id); }
  const PmCategoryEx2Mgr& Categories() const { return categories_; }
  const PmInfoEx2& Information() const { return info_; }
  // Where the last load stopped when it kept only part of table "Main".
  const CxLoadReport& Report() const { return report_; }

  // Reads through `accessor` instead of an mdbtools one (tests, tools).
  void SetAccessor(std::unique_ptr<PmDataAccessor> accessor);

  PmDbKind Kind() const { return kind_; }
  // "Contacts", "Calendar", "Tasks", "Memos".
  const char* KindName() const;
  // The database's file in a user's data folder: "address/Address.mdb" and so on. A folder
  // copied from Windows may spell the names in another case; an existing entry of any case is
  // taken.
  std::string UserFile(const std::string& userFolder) const;

 protected:
  explicit PmDBEx2Util(PmDbKind kind);
  // The category name (at most 31 bytes) of a record's category ID.
  void FillCategoryName(PmEx2Head& head) const;

  PmDataAccessor* Accessor() { return accessor_.get(); }

  CxLoadReport report_;

 private:
  PmDbKind kind_;
  std::unique_ptr<PmDataAccessor> accessor_;
  PmCategoryEx2Mgr categories_;
  PmInfoEx2 info_;
  bool opened_ = false;
};

// A loader of one 6.x database: reads every row of table "Main" into a Rec through the record's
// column table (Rec::Columns()).
template <class Rec>
class PmEx2Loader : public PmDBEx2Util {
 public:
  using Record = Rec;

  bool LoadByUser(const std::string& userFolder) {
    QM_LOG_INFO("Start loading Palm Desktop %s from user folder: %s", KindName(),
                userFolder.c_str());
    if (userFolder.empty()) {
      QM_LOG_ERROR("Failed to get user database path by user ID.");
      return false;
    }
    std::string path = UserFile(userFolder);
    QM_LOG_INFO("Get user file successfully, try loading file:%s", path.c_str());
    return LoadByFile(path);
  }

  bool LoadByFile(const std::string& path) {
    QM_LOG_INFO("Loading Palm Desktop %s: %s", KindName(), path.c_str());
    records_.clear();
    report_.Reset();
    if (!Open(path)) {
      QM_LOG_ERROR("Open Palm Desktop %s database failed: %s", KindName(), path.c_str());
      return false;
    }
    if (!ReadMain()) {
      records_.clear();
      return false;
    }
    report_.records = records_.size();
    return true;
  }

  const std::vector<Rec>& Records() const { return records_; }
  void Clear() { records_.clear(); }

 protected:
  explicit PmEx2Loader(PmDbKind kind) : PmDBEx2Util(kind) {}
  virtual void PostProcess(Rec& rec) { FillCategoryName(rec); }

 private:
  static PmColumns ColumnNames() {
    static const std::vector<std::string_view> names = [] {
      std::vector<std::string_view> out;
      for (const auto& c : Rec::Columns()) out.push_back(c.name);
      return out;
    }();
    return names;
  }

  // False when the table could not be read at all; an empty table is read.
  bool ReadMain() {
    const char* kind = KindName();
    QM_LOG_INFO("Start loading Palm Desktop %s main records.", kind);
    const auto columns = Rec::Columns();
    const PmColumns names = ColumnNames();
    auto row = Accessor()->Query("Main", names);
    if (!row) {
      const std::string why = Accessor()->WalkStoppedAt();
      if (!why.empty()) {
        QM_LOG_ERROR("The %s main table could not be read: %s", kind, why.c_str());
        return false;
      }
      QM_LOG_ERROR(
          "Failed to query the first record of the %s main table. Check if there is any records "
          "in the database table.",
          kind);
      return true;
    }
    QM_LOG_INFO("Query first record in the %s database table successfully.", kind);
    std::size_t shortRows = 0;
    std::size_t oddValues = 0;
    while (row) {
      if (records_.size() == kMaxRecords) {
        QM_LOG_ERROR("More than %zu %s records; the rest are ignored.", kMaxRecords, kind);
        report_.StopAt("record " + std::to_string(kMaxRecords + 1) + ": too many records");
        break;
      }
      Rec rec{};
      if (row->size() == columns.size()) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
          if (!PmEx2Store((*row)[i], columns[i].target(rec))) ++oddValues;
        }
      } else {
        ++shortRows;
      }
      PostProcess(rec);
      records_.push_back(std::move(rec));
      row = Accessor()->NextRow("Main", names);
    }
    QM_LOG_INFO(
        "Failed to query the next record of the %s main table. Check if it is the end of the "
        "table.",
        kind);
    if (shortRows > 0) {
      QM_LOG_ERROR("%zu %s rows had the wrong number of columns and were kept empty.", shortRows,
                   kind);
    }
    if (oddValues > 0) {
      QM_LOG_ERROR("%zu %s values had an unexpected kind and were left empty.", oddValues, kind);
    }
    if (report_.complete) {
      const std::string stop = Accessor()->WalkStoppedAt();
      if (!stop.empty()) report_.StopAt(stop);
    }
    QM_LOG_INFO("Loading Palm Desktop %s main records completed successfully.", kind);
    return true;
  }

  std::vector<Rec> records_;
};

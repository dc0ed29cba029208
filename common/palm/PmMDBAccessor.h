#pragma once

#include <memory>
#include <string>

#include "palm/PmDataAccessor.h"

// Reads a Palm Desktop 6.x ".mdb" database through mdbtools. Only reading is possible: a SELECT
// of bracketed columns from one table, optionally with a WHERE of equality terms joined by AND
// (the statements PmDataAccessor builds). Texts arrive as UTF-8 whatever the environment asks
// of mdbtools.
class PmMDBAccessor final : public PmDataAccessor {
 public:
  // Text values are cut to this many bytes by mdbtools before they reach us; the largest Palm
  // field (a memo) holds 20479 bytes.
  static constexpr std::size_t kBindBytes = 32768;
  // Jet allows 255 columns per table; a query never asks for more.
  static constexpr std::size_t kMaxColumns = 255;

  PmMDBAccessor();
  PmMDBAccessor(PmDbKind kind, const std::string& path);
  ~PmMDBAccessor() override;
  PmMDBAccessor(const PmMDBAccessor&) = delete;
  PmMDBAccessor& operator=(const PmMDBAccessor&) = delete;

  bool Open(PmDbKind kind, const std::string& path) override;
  void Close();
  bool IsOpen() const;

  std::optional<PmRow> Query(std::string_view table, PmColumns columns) override;
  std::optional<PmRow> NextRow(std::string_view table, PmColumns columns) override;
  bool Execute(const std::string& sql, bool returnsRows) override;
  // Next row of the statement Execute opened last.
  std::optional<PmRow> FetchRow();

  PmDbKind Kind() const { return kind_; }
  const std::string& Path() const { return path_; }

 private:
  struct Database;  // the mdbtools handle, kept out of this header
  struct Cursor;    // the open SELECT

  bool ExecuteSelect(const std::string& sql);

  PmDbKind kind_ = PmDbKind::kContacts;
  std::string path_;
  std::unique_ptr<Database> db_;
  std::unique_ptr<Cursor> cursor_;
};

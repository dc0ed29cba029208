#pragma once

#include <deque>
#include <string>
#include <vector>

#include "palm/PmDataAccessor.h"

// Reads a Palm Desktop 6.x ".mdb" database through mdbtools. Only reading is possible: a SELECT
// of bracketed columns from one table, optionally with a WHERE of equality terms joined by AND
// (the statements PmDataAccessor builds). Texts arrive as UTF-8 whatever the environment asks
// of mdbtools.
//
// mdbtools runs in a reader program of its own (ReaderMain, installed beside this program) for
// each statement: on a damaged file it may loop, print without end or write hex dumps to standard
// output. The child's output never reaches ours, it
// is ended after a time limit or too many messages, and the rows it read come back through a
// pipe; the walk then says where it stopped.
class PmMDBAccessor final : public PmDataAccessor {
 public:
  // Text values are cut to this many bytes by mdbtools before they reach us; the largest Palm
  // field (a memo) holds 20479 bytes.
  static constexpr std::size_t kBindBytes = 32768;
  // Jet allows 255 columns per table; a query never asks for more.
  static constexpr std::size_t kMaxColumns = 255;

  static constexpr const char* kReaderName = "quillmove-mdb-reader";
  // The reader program beside this one.
  static std::string ReaderProgram();
  // The reader program's main: "tables PATH" or "select PATH SQL"; rows go to descriptor 3.
  static int ReaderMain(int argc, char** argv);

  PmMDBAccessor();
  PmMDBAccessor(PmDbKind kind, const std::string& path);
  ~PmMDBAccessor() override;
  PmMDBAccessor(const PmMDBAccessor&) = delete;
  PmMDBAccessor& operator=(const PmMDBAccessor&) = delete;

  bool Open(PmDbKind kind, const std::string& path) override;
  void Close();
  bool IsOpen() const;
  bool HasTable(std::string_view name) const override;
  std::string WalkStoppedAt() const override { return walkStop_; }

  std::optional<PmRow> Query(std::string_view table, PmColumns columns) override;
  std::optional<PmRow> NextRow(std::string_view table, PmColumns columns) override;
  bool Execute(const std::string& sql, bool returnsRows) override;
  // Next row of the statement Execute opened last.
  std::optional<PmRow> FetchRow();

  PmDbKind Kind() const { return kind_; }
  const std::string& Path() const { return path_; }

 private:
  bool ExecuteSelect(const std::string& sql);

  PmDbKind kind_ = PmDbKind::kContacts;
  std::string path_;
  bool open_ = false;
  std::vector<std::string> tables_;
  std::deque<PmRow> rows_;  // what the last statement read and the walk has not taken yet
  std::string walkStop_;    // why the last statement read no row or only part of its table
};

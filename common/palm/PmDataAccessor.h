#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Which Palm Desktop 6.x database an accessor serves.
enum class PmDbKind : std::int32_t { kContacts = 1, kCalendar = 2, kTasks = 3, kMemos = 4 };

// One value of a row: empty (null, date, floating point or any other kind), a 32-bit integer,
// UTF-8 text or a boolean.
using PmValue = std::variant<std::monostate, std::int32_t, std::string, bool>;
using PmRow = std::vector<PmValue>;
using PmColumns = std::span<const std::string_view>;

// Reads the tables of one Palm Desktop 6.x database row by row. Implementations never throw.
class PmDataAccessor {
 public:
  // A text value is written into SQL with at most this many bytes.
  static constexpr std::size_t kMaxSqlTextBytes = 20480;
  // Longest SQL text the builder produces; anything longer is refused rather than cut, as a cut
  // statement could lose its WHERE clause or end inside a quoted value.
  static constexpr std::size_t kMaxSqlBytes = 40959;
  // Longest written value a WHERE term compares whole; longer texts compare their first
  // characters only, as memo columns cannot be compared whole.
  static constexpr std::size_t kMaxWhereValueChars = 255;

  virtual ~PmDataAccessor() = default;

  virtual bool Open(PmDbKind kind, const std::string& path) = 0;
  // First row of SELECT columns FROM table, or nothing when the query fails or has no rows.
  virtual std::optional<PmRow> Query(std::string_view table, PmColumns columns) = 0;
  // Next row of the walk that Query started with the same table and columns.
  virtual std::optional<PmRow> NextRow(std::string_view table, PmColumns columns) = 0;
  virtual bool Execute(const std::string& sql, bool returnsRows) = 0;
  // Whether the open database has a table of that name (any case).
  virtual bool HasTable(std::string_view) const { return true; }
  // Empty when the last statement read its table to the end (or found it empty); otherwise why
  // and where it stopped, the rows before the damage still handed out.
  virtual std::string WalkStoppedAt() const { return {}; }

  // "SELECT [a], [b] FROM table where"; empty when it cannot be built: no columns, a column name
  // with a bracket, or a result over kMaxSqlBytes. The databases are only ever read.
  static std::string BuildSql(std::string_view table, std::string_view where, PmColumns columns);
  // "WHERE [a] = 1 AND [b] = 'x'"; empty when it cannot be built (as BuildSql).
  static std::string BuildWhere(PmColumns columns, std::span<const PmValue> values);
  // Integers in decimal, booleans as 1 or 0, texts quoted with quotes doubled, empty as NULL.
  static std::string SqlValue(const PmValue& value);

  const std::string& LastSelect() const { return lastSelect_; }

 protected:
  std::string lastSelect_;
};

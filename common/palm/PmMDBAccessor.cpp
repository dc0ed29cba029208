#include "palm/PmMDBAccessor.h"

#include <charconv>
#include <filesystem>

// glib must come before mdbtools.h, which would otherwise include it inside extern "C".
#include <glib.h>
#include <iconv.h>
#include <mdbtools.h>

#include "misc/CxDebugUtil.h"
#include "misc/Utf8.h"
#include "platform/AsciiCase.h"

namespace {

// A damaged page chain must not keep a walk going for ever; Palm databases hold thousands of rows.
constexpr std::uint64_t kMaxRowsPerWalk = 10'000'000;
// Column and table names in Jet are at most 64 characters; bracketed names longer than this are
// not ours.
constexpr std::size_t kMaxNameBytes = 256;

using platform::EqualsNoCase;

// Drops a character that mdbtools cut in half at the end of its buffer.
std::string_view WholeCharacters(std::string_view text) {
  std::size_t back = 0;
  while (back < 4 && back < text.size()) {
    auto c = static_cast<unsigned char>(text[text.size() - 1 - back]);
    if ((c & 0xC0) != 0x80) {
      std::size_t need = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
      if (need > back + 1) return text.substr(0, text.size() - 1 - back);
      return text;
    }
    ++back;
  }
  return text;
}

std::string_view Utf8Chars(std::string_view text, std::size_t chars) {
  std::size_t i = 0;
  std::size_t seen = 0;
  for (; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (seen == chars) break;
      ++seen;
    }
  }
  return text.substr(0, i);
}

bool ParseInt32(std::string_view text, std::int32_t& out) {
  std::int64_t v = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  auto [end, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || end != last || v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<std::int32_t>(v);
  return true;
}

struct WhereTerm {
  std::string column;
  std::size_t prefixChars = 0;  // 0: compare the whole value
  PmValue value;
};

struct SelectStatement {
  std::string table;
  std::vector<std::string> columns;
  std::vector<WhereTerm> terms;
};

// Reads the statements PmDataAccessor builds, and nothing else.
class SqlScanner {
 public:
  explicit SqlScanner(std::string_view text) : s_(text) {}

  void Blanks() {
    while (pos_ < s_.size() &&
           (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) {
      ++pos_;
    }
  }
  bool AtEnd() {
    Blanks();
    return pos_ == s_.size();
  }
  bool Char(char c) {
    Blanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Keyword(std::string_view word) {
    Blanks();
    if (s_.size() - pos_ < word.size() || !EqualsNoCase(s_.substr(pos_, word.size()), word)) {
      return false;
    }
    std::size_t after = pos_ + word.size();
    if (after < s_.size() && IsNameChar(s_[after])) return false;
    pos_ = after;
    return true;
  }
  bool Name(std::string& out) {
    Blanks();
    if (pos_ < s_.size() && s_[pos_] == '[') {
      std::size_t close = s_.find(']', pos_ + 1);
      if (close == std::string_view::npos || close == pos_ + 1) return false;
      out = std::string(s_.substr(pos_ + 1, close - pos_ - 1));
      pos_ = close + 1;
    } else {
      std::size_t start = pos_;
      while (pos_ < s_.size() && IsNameChar(s_[pos_])) ++pos_;
      if (pos_ == start) return false;
      out = std::string(s_.substr(start, pos_ - start));
    }
    return out.size() <= kMaxNameBytes;
  }
  bool Value(PmValue& out) {
    Blanks();
    if (pos_ >= s_.size()) return false;
    if (s_[pos_] == '\'') {
      std::string text;
      for (++pos_; pos_ < s_.size(); ++pos_) {
        if (s_[pos_] == '\'') {
          if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
            text += '\'';
            ++pos_;
          } else {
            ++pos_;
            out = std::move(text);
            return true;
          }
        } else {
          text += s_[pos_];
        }
      }
      return false;  // unterminated
    }
    if (Keyword("NULL")) {
      out = std::monostate{};
      return true;
    }
    std::size_t start = pos_;
    if (s_[pos_] == '-') ++pos_;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
    std::int32_t v = 0;
    if (!ParseInt32(s_.substr(start, pos_ - start), v)) return false;
    out = v;
    return true;
  }

 private:
  static bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

bool ParseTerm(SqlScanner& in, WhereTerm& term) {
  if (in.Keyword("LEFT")) {
    PmValue count;
    if (!in.Char('(') || !in.Name(term.column) || !in.Char(',') || !in.Value(count) ||
        !in.Char(')')) {
      return false;
    }
    const auto* n = std::get_if<std::int32_t>(&count);
    if (!n || *n <= 0) return false;
    term.prefixChars = static_cast<std::size_t>(*n);
  } else if (!in.Name(term.column)) {
    return false;
  }
  return in.Char('=') && in.Value(term.value);
}

bool ParseSelect(std::string_view sql, SelectStatement& out) {
  SqlScanner in(sql);
  if (!in.Keyword("SELECT")) return false;
  do {
    std::string column;
    if (!in.Name(column)) return false;
    out.columns.push_back(std::move(column));
    if (out.columns.size() > PmMDBAccessor::kMaxColumns) return false;
  } while (in.Char(','));
  if (!in.Keyword("FROM") || !in.Name(out.table)) return false;
  if (in.Keyword("WHERE")) {
    do {
      WhereTerm term;
      if (!ParseTerm(in, term)) return false;
      out.terms.push_back(std::move(term));
      if (out.terms.size() > PmMDBAccessor::kMaxColumns) return false;
    } while (in.Keyword("AND"));
  }
  return in.AtEnd();
}

bool IsUtf8Name(const char* name) {
  return name && (EqualsNoCase(name, "UTF-8") || EqualsNoCase(name, "UTF8"));
}

// mdbtools converts texts into the character set named by the MDBICONV environment variable;
// this program's texts are UTF-8 whatever the environment says.
bool ForceUtf8(MdbHandle* mdb) {
  if (IsUtf8Name(mdb_target_charset(mdb))) return true;
  mdb_iconv_close(mdb);
  const char* source = IS_JET3(mdb) ? "CP1252" : "UCS-2LE";
  mdb->iconv_in = iconv_open("UTF-8", source);
  mdb->iconv_out = iconv_open(source, "UTF-8");
  return mdb->iconv_in != reinterpret_cast<iconv_t>(-1) &&
         mdb->iconv_out != reinterpret_cast<iconv_t>(-1);
}

PmValue ToValue(int type, const char* bound, int length) {
  if (length < 0) return {};
  std::string_view text(bound, static_cast<std::size_t>(length));
  switch (type) {
    case MDB_BOOL:
      return text == "1";
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: {
      std::int32_t v = 0;
      if (ParseInt32(text, v)) return v;
      return {};
    }
    case MDB_TEXT:
    case MDB_MEMO:
      // mdbtools gives a null and a zero-length text alike; both leave a field empty.
      if (text.empty()) return {};
      return std::string(WholeCharacters(Utf8Prefix(text, PmMDBAccessor::kBindBytes - 1)));
    default:
      return {};  // dates, floating point, money, binary
  }
}

bool Matches(const WhereTerm& term, const PmValue& value) {
  if (const auto* want = std::get_if<std::int32_t>(&term.value)) {
    if (const auto* i = std::get_if<std::int32_t>(&value)) return *i == *want;
    if (const auto* b = std::get_if<bool>(&value)) return *b == (*want != 0);
    if (const auto* s = std::get_if<std::string>(&value)) return *s == std::to_string(*want);
    return false;
  }
  if (const auto* want = std::get_if<std::string>(&term.value)) {
    std::string have;
    if (const auto* s = std::get_if<std::string>(&value)) {
      have = *s;
    } else if (const auto* i = std::get_if<std::int32_t>(&value)) {
      have = std::to_string(*i);
    } else {
      return false;
    }
    std::string_view h = have;
    if (term.prefixChars > 0) h = Utf8Chars(h, term.prefixChars);
    // Jet compares texts without regard to case.
    return EqualsNoCase(h, *want);
  }
  return false;  // "= NULL" is never true
}

}  // namespace

struct PmMDBAccessor::Database {
  MdbHandle* mdb = nullptr;
  ~Database() {
    if (mdb) mdb_close(mdb);
  }
};

struct PmMDBAccessor::Cursor {
  MdbTableDef* table = nullptr;
  std::vector<int> types;                // per table column
  std::vector<std::vector<char>> bound;  // per table column; empty when not bound
  std::vector<int> lengths;              // per table column
  std::vector<int> selected;             // table column per requested column; -1 missing
  std::vector<std::pair<int, WhereTerm>> terms;
  std::uint64_t rowsRead = 0;

  ~Cursor() {
    if (table) mdb_free_tabledef(table);
  }
  PmValue ValueOf(int column) const {
    auto c = static_cast<std::size_t>(column);
    return ToValue(types[c], bound[c].data(), lengths[c]);
  }
};

PmMDBAccessor::PmMDBAccessor() = default;

PmMDBAccessor::PmMDBAccessor(PmDbKind kind, const std::string& path) {
  Open(kind, path);
}

PmMDBAccessor::~PmMDBAccessor() {
  Close();
}

void PmMDBAccessor::Close() {
  cursor_.reset();  // the cursor's table belongs to the database
  db_.reset();
}

bool PmMDBAccessor::IsOpen() const {
  return db_ != nullptr;
}

bool PmMDBAccessor::Open(PmDbKind kind, const std::string& path) {
  kind_ = kind;
  path_ = path;
  QM_LOG_INFO("Set database file to be opened: %s", path.c_str());
  // Closed even when the new file cannot be opened, so that no query reads the former one.
  if (db_) {
    QM_LOG_INFO("The connection is already opened, close it now.");
    Close();
  }
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) {
    QM_LOG_ERROR("The file doesn't exist. Abort.");
    return false;
  }
  // A FIFO or device would block the reader for ever.
  if (!std::filesystem::is_regular_file(path, ec)) {
    QM_LOG_ERROR("%s is not a regular file. Abort.", path.c_str());
    return false;
  }
  QM_LOG_INFO("Connection String: Data Source=\"%s\"", path.c_str());
  try {
    auto db = std::make_unique<Database>();
    db->mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!db->mdb) {
      QM_LOG_ERROR("Database Connection Error, Connection String=Data Source=\"%s\".",
                   path.c_str());
      return false;
    }
    if (!ForceUtf8(db->mdb)) {
      QM_LOG_ERROR(
          "Database Connection Error, Connection String=Data Source=\"%s\", Error=no UTF-8 "
          "conversion",
          path.c_str());
      return false;
    }
    mdb_set_bind_size(db->mdb, kBindBytes);
    mdb_set_boolean_fmt_numbers(db->mdb);
    if (!mdb_read_catalog(db->mdb, MDB_TABLE)) {
      QM_LOG_ERROR(
          "Database Connection Error, Connection String=Data Source=\"%s\", Error=no catalog",
          path.c_str());
      return false;
    }
    db_ = std::move(db);
    return true;
  } catch (const std::exception& e) {
    QM_LOG_ERROR("Database Connection Error, Connection String=Data Source=\"%s\", Error=%s",
                 path.c_str(), e.what());
  } catch (...) {
    QM_LOG_ERROR("Database Connection Error, Connection String=Data Source=\"%s\".", path.c_str());
  }
  return false;
}

bool PmMDBAccessor::Execute(const std::string& sql, bool returnsRows) {
  QM_LOG_INFO("Execute SQL Query: %s", sql.c_str());
  cursor_.reset();
  try {
    if (!db_) {
      QM_LOG_ERROR("Database Query Error, Query String=%s, Error=no open database", sql.c_str());
      return false;
    }
    if (!returnsRows) {
      QM_LOG_ERROR("Database Query Error, Query String=%s, Error=the database is read-only",
                   sql.c_str());
      return false;
    }
    return ExecuteSelect(sql);
  } catch (const std::exception& e) {
    QM_LOG_ERROR("Database Query Error, Query String=%s, Error=%s", sql.c_str(), e.what());
  } catch (...) {
    QM_LOG_ERROR("Database Query Error, Query String=%s", sql.c_str());
  }
  cursor_.reset();
  return false;
}

bool PmMDBAccessor::ExecuteSelect(const std::string& sql) {
  SelectStatement stmt;
  if (!ParseSelect(sql, stmt)) {
    QM_LOG_ERROR("Database Query Error, Query String=%s, Error=unsupported statement", sql.c_str());
    return false;
  }
  std::string tableName = stmt.table;
  MdbTableDef* table = mdb_read_table_by_name(db_->mdb, tableName.data(), MDB_TABLE);
  if (!table) {
    QM_LOG_ERROR("Database Query Error, Query String=%s, Error=no table %s", sql.c_str(),
                 stmt.table.c_str());
    return false;
  }
  auto cursor = std::make_unique<Cursor>();
  cursor->table = table;
  if (!mdb_read_columns(table)) {
    QM_LOG_ERROR("Database Query Error, Query String=%s, Error=unreadable columns", sql.c_str());
    return false;
  }
  const std::size_t count = table->num_cols;
  std::vector<std::string> names(count);
  cursor->types.assign(count, 0);
  cursor->bound.resize(count);
  cursor->lengths.assign(count, -1);
  for (std::size_t i = 0; i < count; ++i) {
    const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
    names[i] = col->name;
    cursor->types[i] = col->col_type;
  }
  auto find = [&](const std::string& name) {
    for (std::size_t i = 0; i < count; ++i) {
      if (EqualsNoCase(names[i], name)) return static_cast<int>(i);
    }
    return -1;
  };
  auto bind = [&](int column) {
    auto c = static_cast<std::size_t>(column);
    if (!cursor->bound[c].empty()) return true;
    cursor->bound[c].assign(kBindBytes, '\0');
    return mdb_bind_column(table, column + 1, cursor->bound[c].data(), &cursor->lengths[c]) > 0;
  };

  std::size_t missing = 0;
  for (const std::string& name : stmt.columns) {
    int column = find(name);
    if (column < 0) {
      // An older or newer Palm Desktop may lack a column; its values read as empty.
      QM_LOG_ERROR("Column not found in table %s: %s", stmt.table.c_str(), name.c_str());
      ++missing;
    } else if (!bind(column)) {
      QM_LOG_ERROR("Database Query Error, Query String=%s, Error=cannot bind %s", sql.c_str(),
                   name.c_str());
      return false;
    }
    cursor->selected.push_back(column);
  }
  for (WhereTerm& term : stmt.terms) {
    int column = find(term.column);
    if (column < 0 || !bind(column)) {
      QM_LOG_ERROR("Database Query Error, Query String=%s, Error=no column %s", sql.c_str(),
                   term.column.c_str());
      return false;
    }
    cursor->terms.emplace_back(column, std::move(term));
  }
  if (missing == stmt.columns.size()) {
    QM_LOG_ERROR("Database Query Error, Query String=%s, Error=no column found", sql.c_str());
    return false;
  }
  mdb_rewind_table(table);
  cursor_ = std::move(cursor);
  return true;
}

std::optional<PmRow> PmMDBAccessor::FetchRow() {
  if (!cursor_) return std::nullopt;
  try {
    Cursor& c = *cursor_;
    while (c.rowsRead < kMaxRowsPerWalk && mdb_fetch_row(c.table)) {
      ++c.rowsRead;
      bool keep = true;
      for (const auto& [column, term] : c.terms) {
        if (!Matches(term, c.ValueOf(column))) {
          keep = false;
          break;
        }
      }
      if (!keep) continue;
      PmRow row;
      row.reserve(c.selected.size());
      for (int column : c.selected) row.push_back(column < 0 ? PmValue{} : c.ValueOf(column));
      return row;
    }
  } catch (const std::exception& e) {
    QM_LOG_ERROR("Database Query Error, Query String=%s, Error=%s", lastSelect_.c_str(), e.what());
  }
  cursor_.reset();
  return std::nullopt;
}

std::optional<PmRow> PmMDBAccessor::Query(std::string_view table, PmColumns columns) {
  if (columns.size() > kMaxColumns) {
    QM_LOG_ERROR("Too many columns in one query: %zu", columns.size());
    return std::nullopt;
  }
  std::string sql = BuildSql(table, "", PmSqlOperation::kSelect, columns);
  if (sql.empty()) {
    QM_LOG_ERROR("Invalid query string found.");
    return std::nullopt;
  }
  lastSelect_ = sql;
  if (!Execute(sql, true)) return std::nullopt;
  return FetchRow();
}

std::optional<PmRow> PmMDBAccessor::NextRow(std::string_view table, PmColumns columns) {
  std::string sql = BuildSql(table, "", PmSqlOperation::kSelect, columns);
  if (sql.empty() || lastSelect_.empty()) {
    QM_LOG_ERROR("Invalid query string found.");
    return std::nullopt;
  }
  if (sql != lastSelect_) {
    QM_LOG_ERROR("This query is not same with former query. Ignore this query.");
    return std::nullopt;
  }
  return FetchRow();
}

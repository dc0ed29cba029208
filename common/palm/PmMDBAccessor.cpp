#include "palm/PmMDBAccessor.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

// glib must come before mdbtools.h, which would otherwise include it inside extern "C".
#include <glib.h>
#include <iconv.h>
#include <mdbtools.h>

#include "misc/CxDebugUtil.h"
#include "misc/Utf8.h"
#include "platform/AsciiCase.h"
#include "platform/PlatformPaths.h"

extern char** environ;

// The child's address-space limit would stop the sanitizers' shadow memory.
#if defined(__SANITIZE_ADDRESS__)
#define QM_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_UNDER_SANITIZER 1
#endif
#endif
#ifndef QM_UNDER_SANITIZER
#define QM_UNDER_SANITIZER 0
#endif

namespace {

// A damaged page chain must not keep a walk going for ever; Palm databases hold thousands of rows.
constexpr std::uint64_t kMaxRowsPerWalk = 10'000'000;
// mdbtools reads in a child process: on a damaged file it can loop for ever, printing messages
// (gigabytes of them) or hex dumps to standard output. The child gets this long per statement; a
// Palm database of tens of thousands of records reads in well under a second.
constexpr int kChildSeconds = 20;
// More messages than this from one statement means mdbtools is looping over damage.
constexpr std::size_t kMaxMessageBytes = std::size_t{1} << 20;
// The part of the messages kept for the reason.
constexpr std::size_t kKeptMessageBytes = 300;
// Rows handed back by one statement; far above any Palm database, bounded so that a damaged
// one cannot exhaust memory.
constexpr std::size_t kMaxRowBytes = std::size_t{512} << 20;
// Address space of the child, so that a damaged length cannot take the machine's memory.
constexpr rlim_t kChildAddressSpace = rlim_t{2} << 30;
// The descriptor on which the reader program hands its rows back.
constexpr int kReaderDataFd = 3;
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

// ---- the reader program's side: mdbtools itself. Nothing here logs: reasons go back to the
// program that started it, which logs them.

struct Database {
  MdbHandle* mdb = nullptr;
  Database() = default;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database() {
    if (mdb) mdb_close(mdb);
  }
};

bool OpenDatabase(const std::string& path, Database& db, std::string& why) {
  db.mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
  if (!db.mdb) {
    why = "not an Access database";
    return false;
  }
  if (!ForceUtf8(db.mdb)) {
    why = "no UTF-8 conversion";
    return false;
  }
  mdb_set_bind_size(db.mdb, PmMDBAccessor::kBindBytes);
  mdb_set_boolean_fmt_numbers(db.mdb);
  if (!mdb_read_catalog(db.mdb, MDB_TABLE)) {
    why = "no catalog";
    return false;
  }
  return true;
}

struct Cursor {
  MdbTableDef* table = nullptr;
  std::vector<int> types;                // per table column
  std::vector<std::vector<char>> bound;  // per table column; empty when not bound
  std::vector<int> lengths;              // per table column
  std::vector<int> selected;             // table column per requested column; -1 missing
  std::vector<std::pair<int, WhereTerm>> terms;

  Cursor() = default;
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;
  ~Cursor() {
    if (table) mdb_free_tabledef(table);
  }
  PmValue ValueOf(int column) const {
    auto c = static_cast<std::size_t>(column);
    return ToValue(types[c], bound[c].data(), lengths[c]);
  }
};

// Prepares `stmt` on `cursor`; `missing` collects the columns that are absent (read as empty).
bool PrepareSelect(Database& db, SelectStatement& stmt, Cursor& cursor, std::string& missing,
                   std::string& why) {
  std::string tableName = stmt.table;
  cursor.table = mdb_read_table_by_name(db.mdb, tableName.data(), MDB_TABLE);
  if (!cursor.table) {
    why = "no table " + stmt.table;
    return false;
  }
  MdbTableDef* table = cursor.table;
  if (!mdb_read_columns(table)) {
    why = "unreadable columns";
    return false;
  }
  const std::size_t count = table->num_cols;
  std::vector<std::string> names(count);
  cursor.types.assign(count, 0);
  cursor.bound.resize(count);
  cursor.lengths.assign(count, -1);
  for (std::size_t i = 0; i < count; ++i) {
    const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
    names[i] = col->name;
    cursor.types[i] = col->col_type;
  }
  auto find = [&](const std::string& name) {
    for (std::size_t i = 0; i < count; ++i) {
      if (EqualsNoCase(names[i], name)) return static_cast<int>(i);
    }
    return -1;
  };
  auto bind = [&](int column) {
    auto c = static_cast<std::size_t>(column);
    if (!cursor.bound[c].empty()) return true;
    cursor.bound[c].assign(PmMDBAccessor::kBindBytes, '\0');
    return mdb_bind_column(table, column + 1, cursor.bound[c].data(), &cursor.lengths[c]) > 0;
  };

  std::size_t absent = 0;
  for (const std::string& name : stmt.columns) {
    int column = find(name);
    if (column < 0) {
      missing += (missing.empty() ? "" : ", ") + name;
      ++absent;
    } else if (!bind(column)) {
      why = "cannot bind " + name;
      return false;
    }
    cursor.selected.push_back(column);
  }
  for (WhereTerm& term : stmt.terms) {
    int column = find(term.column);
    if (column < 0 || !bind(column)) {
      why = "no column " + term.column;
      return false;
    }
    cursor.terms.emplace_back(column, std::move(term));
  }
  if (absent == stmt.columns.size()) {
    why = "no column found";
    return false;
  }
  mdb_rewind_table(table);
  return true;
}

// What travels from the child to the parent: tagged values, then one end mark.
enum Tag : char {
  kTagRow = 'R',      // u32 count, then count values
  kTagEmpty = 'n',    //
  kTagInt = 'i',      // i32
  kTagText = 's',     // u32 length, bytes
  kTagBool = 'b',     // u8
  kTagTable = 'T',    // u32 length, bytes: a table name
  kTagMissing = 'M',  // u32 length, bytes: the columns that read as empty
  kTagDone = 'D',     // the statement ran to its end
  kTagFailed = 'F',   // u32 length, bytes: why it stopped
};

// Buffered writes into the pipe; a parent that stopped listening ends the child.
class ChildWriter {
 public:
  explicit ChildWriter(int fd) : fd_(fd) {}
  ChildWriter(const ChildWriter&) = delete;
  ChildWriter& operator=(const ChildWriter&) = delete;
  ~ChildWriter() { Flush(); }

  void Byte(char c) { Put(&c, 1); }
  void U32(std::uint32_t v) {
    const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    Put(b, 4);
  }
  void Text(char tag, std::string_view text) {
    Byte(tag);
    U32(static_cast<std::uint32_t>(text.size()));
    Put(text.data(), text.size());
  }
  void Value(const PmValue& v) {
    if (const auto* i = std::get_if<std::int32_t>(&v)) {
      Byte(kTagInt);
      U32(static_cast<std::uint32_t>(*i));
    } else if (const auto* s = std::get_if<std::string>(&v)) {
      Text(kTagText, *s);
    } else if (const auto* b = std::get_if<bool>(&v)) {
      Byte(kTagBool);
      Byte(*b ? 1 : 0);
    } else {
      Byte(kTagEmpty);
    }
  }
  void Flush() {
    std::size_t at = 0;
    while (at < buf_.size()) {
      ssize_t n = write(fd_, buf_.data() + at, buf_.size() - at);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) _exit(1);
      at += static_cast<std::size_t>(n);
    }
    buf_.clear();
  }

 private:
  void Put(const char* p, std::size_t n) {
    buf_.append(p, n);
    if (buf_.size() >= std::size_t{1} << 16) Flush();
  }

  int fd_;
  std::string buf_;
};

// The child's work for Open: the names of the database's tables.
void ListTables(const std::string& path, ChildWriter& out) {
  Database db;
  std::string why;
  if (!OpenDatabase(path, db, why)) return out.Text(kTagFailed, why);
  for (unsigned i = 0; i < db.mdb->num_catalog; ++i) {
    const auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(db.mdb->catalog, i));
    if (entry && entry->object_type == MDB_TABLE) out.Text(kTagTable, entry->object_name);
  }
  out.Byte(kTagDone);
}

// The child's work for a SELECT: every matching row.
void RunSelect(const std::string& path, SelectStatement stmt, ChildWriter& out) {
  Database db;
  Cursor cursor;
  std::string why;
  std::string missing;
  if (!OpenDatabase(path, db, why) || !PrepareSelect(db, stmt, cursor, missing, why)) {
    return out.Text(kTagFailed, why);
  }
  if (!missing.empty()) out.Text(kTagMissing, missing);
  std::uint64_t rowsRead = 0;
  while (mdb_fetch_row(cursor.table)) {
    if (++rowsRead > kMaxRowsPerWalk) return out.Text(kTagFailed, "too many rows");
    bool keep = true;
    for (const auto& [column, term] : cursor.terms) {
      if (!Matches(term, cursor.ValueOf(column))) {
        keep = false;
        break;
      }
    }
    if (!keep) continue;
    out.Byte(kTagRow);
    out.U32(static_cast<std::uint32_t>(cursor.selected.size()));
    for (int column : cursor.selected) out.Value(column < 0 ? PmValue{} : cursor.ValueOf(column));
  }
  out.Byte(kTagDone);
}

// ---- the parent's side

struct ChildRun {
  std::string data;      // what the child handed back
  std::string messages;  // the start of what mdbtools printed
  std::string cut;       // why the parent ended the child, or how it died
};

class Fd {
 public:
  Fd() = default;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Reset(); }
  int get() const { return fd_; }
  void Set(int fd) { fd_ = fd; }
  void Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

bool MakePipe(Fd& readEnd, Fd& writeEnd) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  readEnd.Set(fds[0]);
  writeEnd.Set(fds[1]);
  return true;
}

std::string CleanMessage(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return std::string(WholeCharacters(out));
}

// Runs the reader program with `args`; its standard output and error come back to us, bounded,
// and never reach ours; it is ended after kChildSeconds or kMaxMessageBytes of messages. A
// program of its own rather than a fork: a fork of a process with other threads (the wizard's)
// may copy a lock held by one of them, and mdbtools in that child would wait for it for ever.
ChildRun RunInChild(const std::vector<std::string>& args) {
  ChildRun run;
  Fd dataRead, dataWrite, msgRead, msgWrite;
  if (!MakePipe(dataRead, dataWrite) || !MakePipe(msgRead, msgWrite)) {
    run.cut = std::string("no pipe: ") + std::strerror(errno);
    return run;
  }
  // The rows travel on descriptor 3; the write end must not already be there, or dup2 would
  // leave it closed on exec.
  if (dataWrite.get() <= kReaderDataFd) {
    Fd moved;
    moved.Set(fcntl(dataWrite.get(), F_DUPFD_CLOEXEC, kReaderDataFd + 1));
    if (moved.get() < 0) {
      run.cut = std::string("no pipe: ") + std::strerror(errno);
      return run;
    }
    dataWrite.Reset();
    dataWrite.Set(moved.get());
    moved.Set(-1);
  }
  const std::string program = PmMDBAccessor::ReaderProgram();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, msgWrite.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, msgWrite.get(), STDERR_FILENO);
  posix_spawn_file_actions_adddup2(&actions, dataWrite.get(), kReaderDataFd);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    run.cut = "the database reader " + program + " could not be started: " + std::strerror(spawned);
    return run;
  }
  dataWrite.Reset();
  msgWrite.Reset();

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kChildSeconds);
  std::size_t messageBytes = 0;
  std::vector<char> buf(std::size_t{1} << 16);
  bool dataOpen = true, msgOpen = true;
  while ((dataOpen || msgOpen) && run.cut.empty()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      run.cut = "the database reader took longer than " + std::to_string(kChildSeconds) + " s";
      break;
    }
    pollfd fds[2] = {{dataOpen ? dataRead.get() : -1, POLLIN, 0},
                     {msgOpen ? msgRead.get() : -1, POLLIN, 0}};
    int ready = poll(fds, 2, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) {
      run.cut = std::string("poll failed: ") + std::strerror(errno);
      break;
    }
    if (ready <= 0) continue;
    if (dataOpen && fds[0].revents) {
      ssize_t n = read(dataRead.get(), buf.data(), buf.size());
      if (n > 0) {
        if (run.data.size() + static_cast<std::size_t>(n) > kMaxRowBytes) {
          run.cut =
              "the database gave more than " + std::to_string(kMaxRowBytes >> 20) + " MiB of rows";
        } else {
          run.data.append(buf.data(), static_cast<std::size_t>(n));
        }
      } else if (n == 0 || errno != EINTR) {
        dataOpen = false;
      }
    }
    if (msgOpen && fds[1].revents) {
      ssize_t n = read(msgRead.get(), buf.data(), buf.size());
      if (n > 0) {
        const auto got = static_cast<std::size_t>(n);
        if (run.messages.size() < kKeptMessageBytes) {
          run.messages.append(buf.data(), std::min(got, kKeptMessageBytes - run.messages.size()));
        }
        messageBytes += got;
        if (messageBytes > kMaxMessageBytes) {
          run.cut = "the database reader printed more than " +
                    std::to_string(kMaxMessageBytes >> 20) + " MiB of messages";
        }
      } else if (n == 0 || errno != EINTR) {
        msgOpen = false;
      }
    }
  }
  if (!run.cut.empty()) kill(pid, SIGKILL);
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (run.cut.empty() && waited == pid) {
    if (WIFSIGNALED(status)) {
      run.cut = "the database reader stopped on signal " + std::to_string(WTERMSIG(status));
    } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
      run.cut = "the database reader failed with code " + std::to_string(WEXITSTATUS(status));
    }
  }
  run.messages = CleanMessage(run.messages);
  return run;
}

// Reads what RunSelect and ListTables write.
class ChildReader {
 public:
  explicit ChildReader(std::string_view data) : d_(data) {}
  bool Byte(char& c) {
    if (at_ >= d_.size()) return false;
    c = d_[at_++];
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (d_.size() - at_ < 4) return false;
    v = 0;
    for (std::size_t i = 4; i-- > 0;) v = (v << 8) | static_cast<unsigned char>(d_[at_ + i]);
    at_ += 4;
    return true;
  }
  bool Text(std::string& out) {
    std::uint32_t n = 0;
    if (!U32(n) || d_.size() - at_ < n) return false;
    out.assign(d_.substr(at_, n));
    at_ += n;
    return true;
  }
  bool Value(PmValue& v) {
    char tag = 0;
    if (!Byte(tag)) return false;
    switch (tag) {
      case kTagEmpty:
        v = std::monostate{};
        return true;
      case kTagInt: {
        std::uint32_t u = 0;
        if (!U32(u)) return false;
        v = static_cast<std::int32_t>(u);
        return true;
      }
      case kTagText: {
        std::string s;
        if (!Text(s)) return false;
        v = std::move(s);
        return true;
      }
      case kTagBool: {
        char b = 0;
        if (!Byte(b)) return false;
        v = b != 0;
        return true;
      }
      default:
        return false;
    }
  }

 private:
  std::string_view d_;
  std::size_t at_ = 0;
};

// The reason of a child that did not reach its end mark.
std::string ChildFailure(const ChildRun& run, const std::string& failed) {
  std::string why = !failed.empty()    ? failed
                    : !run.cut.empty() ? run.cut
                                       : "the database reader stopped early";
  if (!run.messages.empty()) why += " (mdbtools: " + run.messages + ")";
  return why;
}

}  // namespace

std::string PmMDBAccessor::ReaderProgram() {
  return platform::ExecutableFolder() + kReaderName;
}

int PmMDBAccessor::ReaderMain(int argc, char** argv) {
  if (fcntl(kReaderDataFd, F_GETFD) < 0) {
    std::fprintf(stderr, "%s is started by Quillmove to read Palm Desktop databases.\n",
                 kReaderName);
    return 2;
  }
  const rlimit noFiles{0, 0};
  setrlimit(RLIMIT_FSIZE, &noFiles);
#if !QM_UNDER_SANITIZER
  const rlimit space{kChildAddressSpace, kChildAddressSpace};
  setrlimit(RLIMIT_AS, &space);
#endif
  ChildWriter out(kReaderDataFd);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "tables" && argc == 3) {
    ListTables(argv[2], out);
  } else if (command == "select" && argc == 4) {
    SelectStatement stmt;
    if (!ParseSelect(argv[3], stmt)) {
      out.Text(kTagFailed, "unsupported statement");
    } else {
      RunSelect(argv[2], std::move(stmt), out);
    }
  } else {
    out.Text(kTagFailed, "the database reader was started with wrong arguments");
  }
  return 0;
}

PmMDBAccessor::PmMDBAccessor() = default;

PmMDBAccessor::PmMDBAccessor(PmDbKind kind, const std::string& path) {
  Open(kind, path);
}

PmMDBAccessor::~PmMDBAccessor() = default;

void PmMDBAccessor::Close() {
  open_ = false;
  tables_.clear();
  rows_.clear();
  walkStop_.clear();
}

bool PmMDBAccessor::IsOpen() const {
  return open_;
}

bool PmMDBAccessor::HasTable(std::string_view name) const {
  for (const std::string& t : tables_) {
    if (EqualsNoCase(t, name)) return true;
  }
  return false;
}

bool PmMDBAccessor::Open(PmDbKind kind, const std::string& path) {
  kind_ = kind;
  path_ = path;
  QM_LOG_INFO("Set database file to be opened: %s", path.c_str());
  // Closed even when the new file cannot be opened, so that no query reads the former one.
  if (open_) QM_LOG_INFO("The connection is already opened, close it now.");
  Close();
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
  ChildRun run = RunInChild({"tables", path});
  ChildReader in(run.data);
  std::vector<std::string> tables;
  std::string failed;
  bool done = false;
  char tag = 0;
  while (!done && in.Byte(tag)) {
    std::string text;
    if (tag == kTagTable && in.Text(text)) {
      tables.push_back(std::move(text));
    } else {
      if (tag == kTagFailed) in.Text(failed);
      done = tag == kTagDone;
      break;
    }
  }
  if (!done || !run.cut.empty()) {
    QM_LOG_ERROR("Database Connection Error, Connection String=Data Source=\"%s\", Error=%s",
                 path.c_str(), ChildFailure(run, failed).c_str());
    return false;
  }
  tables_ = std::move(tables);
  open_ = true;
  return true;
}

bool PmMDBAccessor::Execute(const std::string& sql, bool returnsRows) {
  QM_LOG_INFO("Execute SQL Query: %s", sql.c_str());
  rows_.clear();
  walkStop_.clear();
  if (!open_) {
    walkStop_ = "no open database";
  } else if (!returnsRows) {
    walkStop_ = "the database is read-only";
  } else {
    try {
      return ExecuteSelect(sql);
    } catch (const std::exception& e) {
      rows_.clear();
      walkStop_ = e.what();
    }
  }
  QM_LOG_ERROR("Database Query Error, Query String=%s, Error=%s", sql.c_str(), walkStop_.c_str());
  return false;
}

bool PmMDBAccessor::ExecuteSelect(const std::string& sql) {
  SelectStatement stmt;
  if (!ParseSelect(sql, stmt)) {
    walkStop_ = "unsupported statement";
    QM_LOG_ERROR("Database Query Error, Query String=%s, Error=%s", sql.c_str(), walkStop_.c_str());
    return false;
  }
  const std::string table = stmt.table;
  ChildRun run = RunInChild({"select", path_, sql});
  ChildReader in(run.data);
  std::string failed;
  bool done = false;
  char tag = 0;
  while (!done && in.Byte(tag)) {
    if (tag == kTagRow) {
      std::uint32_t count = 0;
      if (!in.U32(count) || count > kMaxColumns) break;
      PmRow row(count);
      bool whole = true;
      for (PmValue& v : row) whole = whole && in.Value(v);
      if (!whole) break;
      rows_.push_back(std::move(row));
    } else if (tag == kTagMissing) {
      std::string names;
      if (!in.Text(names)) break;
      // An older or newer Palm Desktop may lack a column; its values read as empty.
      QM_LOG_ERROR("Columns not found in table %s: %s", table.c_str(), names.c_str());
    } else {
      if (tag == kTagFailed) in.Text(failed);
      done = tag == kTagDone;
      break;
    }
  }
  if (done && run.cut.empty()) return true;
  walkStop_ = ChildFailure(run, failed);
  if (rows_.empty()) {
    QM_LOG_ERROR("Database Query Error, Query String=%s, Error=%s", sql.c_str(), walkStop_.c_str());
    return false;
  }
  // The rows read before the damage are handed out; the walk says where it stopped.
  walkStop_ = "table " + table + " after row " + std::to_string(rows_.size()) + ": " + walkStop_;
  QM_LOG_ERROR("Only part of the table could be read: %s", walkStop_.c_str());
  return true;
}

std::optional<PmRow> PmMDBAccessor::FetchRow() {
  if (rows_.empty()) return std::nullopt;
  PmRow row = std::move(rows_.front());
  rows_.pop_front();
  return row;
}

std::optional<PmRow> PmMDBAccessor::Query(std::string_view table, PmColumns columns) {
  rows_.clear();
  walkStop_.clear();
  if (columns.size() > kMaxColumns) {
    walkStop_ = "too many columns in one query";
    QM_LOG_ERROR("Too many columns in one query: %zu", columns.size());
    return std::nullopt;
  }
  std::string sql = BuildSql(table, "", columns);
  if (sql.empty()) {
    walkStop_ = "invalid query";
    QM_LOG_ERROR("Invalid query string found.");
    return std::nullopt;
  }
  lastSelect_ = sql;
  if (!Execute(sql, true)) return std::nullopt;
  return FetchRow();
}

std::optional<PmRow> PmMDBAccessor::NextRow(std::string_view table, PmColumns columns) {
  std::string sql = BuildSql(table, "", columns);
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

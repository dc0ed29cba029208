#include "palm/PmDataAccessor.h"

#include "misc/CxDebugUtil.h"
#include "misc/Utf8.h"

namespace {

bool IsBracketFree(std::string_view name) {
  return !name.empty() && name.find_first_of("[]") == std::string_view::npos;
}

bool AppendColumn(std::string& out, std::string_view name) {
  if (!IsBracketFree(name)) return false;
  out += '[';
  out += name;
  out += ']';
  return true;
}

bool AppendColumnList(std::string& out, PmColumns columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) out += ", ";
    if (!AppendColumn(out, columns[i])) return false;
  }
  return true;
}

std::string Quoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

// The first `chars` UTF-8 characters of `text`.
std::string_view Utf8Head(std::string_view text, std::size_t chars) {
  std::size_t i = 0;
  std::size_t seen = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) != 0x80) {
      if (seen == chars) break;
      ++seen;
    }
    ++i;
  }
  return text.substr(0, i);
}

std::string Finished(std::string sql) {
  if (sql.size() > PmDataAccessor::kMaxSqlBytes) {
    QM_LOG_ERROR("SQL text of %zu bytes is too long; not built.", sql.size());
    return {};
  }
  return sql;
}

}  // namespace

std::string PmDataAccessor::SqlValue(const PmValue& value) {
  if (const auto* i = std::get_if<std::int32_t>(&value)) return std::to_string(*i);
  if (const auto* b = std::get_if<bool>(&value)) return *b ? "1" : "0";
  if (const auto* s = std::get_if<std::string>(&value)) {
    return Quoted(Utf8Prefix(*s, kMaxSqlTextBytes));
  }
  return "NULL";
}

std::string PmDataAccessor::BuildWhere(PmColumns columns, std::span<const PmValue> values) {
  if (values.size() < columns.size()) return {};
  std::string out = "WHERE ";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) out += " AND ";
    std::string written = SqlValue(values[i]);
    if (written.size() > kMaxWhereValueChars) {
      // Compare as many characters as the literal holds, and quote them afresh so that a cut
      // never lands inside a doubled quote.
      const auto& text = std::get<std::string>(values[i]);
      std::string_view head = Utf8Head(Utf8Prefix(text, kMaxSqlTextBytes), kMaxWhereValueChars);
      out += "LEFT(";
      if (!AppendColumn(out, columns[i])) return {};
      out += ", " + std::to_string(kMaxWhereValueChars) + ") = " + Quoted(head);
    } else {
      if (!AppendColumn(out, columns[i])) return {};
      out += " = " + written;
    }
    if (out.size() > kMaxSqlBytes) return {};
  }
  return out;
}

std::string PmDataAccessor::BuildSql(std::string_view table, std::string_view where,
                                     PmColumns columns) {
  if (columns.empty()) return {};
  std::string out = "SELECT ";
  if (!AppendColumnList(out, columns)) return {};
  out += " FROM ";
  out += table;
  out += ' ';
  out += where;
  return Finished(std::move(out));
}

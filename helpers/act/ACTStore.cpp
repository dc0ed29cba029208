#include "ACTStore.h"

#include <cstdio>

#include "misc/CxDateTime.h"
#include "misc/CxFile.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"

namespace {

using nlohmann::json;

// The keys of the change mark, the action and the reserved numbers are the data file's, not
// the document's.
bool FileOnly(std::string_view name) {
  return name == "ChangeMark" || name == "Action" || name == "Reserved";
}

std::string Describe(const json& v) {
  std::string text = v.dump(-1, ' ', false, json::error_handler_t::replace);
  return text.size() > 60 ? text.substr(0, 57) + "..." : text;
}

struct FromJson {
  const json& obj;
  std::vector<std::string>& warnings;

  const json* Find(const char* name) const {
    auto it = obj.find(name);
    return it == obj.end() || it->is_null() ? nullptr : &*it;
  }
  void Bad(const char* name, const json& v) {
    warnings.push_back(std::string("Field \"") + name + "\" holds " + Describe(v) +
                       ", which is not a value of its kind; it was left empty.");
  }
  void Cut(const char* name, std::size_t bytes) {
    warnings.push_back(std::string("Field \"") + name + "\" was cut to its " +
                       std::to_string(bytes) + " bytes.");
  }
  void operator()(const char* name, std::int32_t& v) {
    const json* j = FileOnly(name) ? nullptr : Find(name);
    if (!j) return;
    if (j->is_number_integer() && j->get<std::int64_t>() >= INT32_MIN &&
        j->get<std::int64_t>() <= INT32_MAX)
      v = static_cast<std::int32_t>(j->get<std::int64_t>());
    else
      Bad(name, *j);
  }
  void operator()(const char* name, bool& v) {
    const json* j = Find(name);
    if (!j) return;
    if (j->is_boolean())
      v = j->get<bool>();
    else
      Bad(name, *j);
  }
  void operator()(const char* name, OleDate& v) {
    const json* j = Find(name);
    if (!j) return;
    if (!j->is_string() || !ParseACTDate(j->get_ref<const std::string&>(), v)) Bad(name, *j);
  }
  template <std::size_t N>
  void operator()(const char* name, FixedText<N>& v) {
    const json* j = Find(name);
    if (!j) return;
    if (!j->is_string()) return Bad(name, *j);
    const std::string& text = j->get_ref<const std::string&>();
    v = text;
    if (v.size() < text.size()) Cut(name, N - 1);
  }
};

struct ToJson {
  json& obj;
  void operator()(const char* name, const std::int32_t& v) {
    if (!FileOnly(name)) obj[name] = v;
  }
  void operator()(const char* name, const bool& v) { obj[name] = v; }
  void operator()(const char* name, const OleDate& v) { obj[name] = ACTDateText(v); }
  template <std::size_t N>
  void operator()(const char* name, const FixedText<N>& v) {
    obj[name] = v.str();
  }
};

}  // namespace

std::string ACTDateText(OleDate date) {
  SYSTEMTIME st;
  if (!date.IsSet() || !CxDateTime::OleDateToSystemTime(date, st)) return {};
  char b[64];
  if (st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0)
    std::snprintf(b, sizeof b, "%04u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
  else
    std::snprintf(b, sizeof b, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond);
  return b;
}

bool ParseACTDate(std::string_view text, OleDate& date) {
  date = OleDate();
  if (text.empty()) return true;
  if (text.size() != 10 && text.size() != 19) return false;
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char tail = 0;
  const std::string t(text);
  int n = text.size() == 10 ? std::sscanf(t.c_str(), "%4u-%2u-%2u%c", &y, &mo, &d, &tail)
                            : std::sscanf(t.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%c", &y, &mo, &d, &h,
                                          &mi, &s, &tail);
  if (n != (text.size() == 10 ? 3 : 6)) return false;
  if (mo < 1 || mo > 12 || d < 1 ||
      static_cast<int>(d) > CxDateTime::DaysInMonth(static_cast<int>(y), static_cast<int>(mo)) ||
      h > 23 || mi > 59 || s > 59)
    return false;
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(mo);
  st.wDay = static_cast<std::uint16_t>(d);
  st.wHour = static_cast<std::uint16_t>(h);
  st.wMinute = static_cast<std::uint16_t>(mi);
  st.wSecond = static_cast<std::uint16_t>(s);
  return CxDateTime::SystemTimeToOleDate(st, date);
}

bool ACTStore::Open(const std::string& path, std::string& error) {
  path_ = path;
  warnings_.clear();
  if (path.empty()) {
    error = "No ACT! database was named.";
    return false;
  }
  std::int64_t size = CxFile::FileSize(path);
  if (size < 0) {
    error = "The ACT! database " + path + " cannot be opened.";
    return false;
  }
  if (size > kMaxDocumentBytes) {
    error = "The ACT! database " + path + " is too large to be ours (" + std::to_string(size) +
            " bytes).";
    return false;
  }
  std::string text;
  if (!platform::ReadWholeFile(path, text, static_cast<std::size_t>(kMaxDocumentBytes))) {
    error = "The ACT! database " + path + " cannot be read.";
    return false;
  }
  doc_ = json::parse(text, nullptr, false);
  if (doc_.is_discarded() || !doc_.is_object()) {
    error = "The ACT! database " + path + " is not a valid document.";
    return false;
  }
  for (const char* list : {"users", "contacts", "activities", "todos", "opportunities", "notes"}) {
    auto it = doc_.find(list);
    if (it != doc_.end() && !it->is_array()) {
      error =
          "The ACT! database " + path + " is not a valid document: \"" + list + "\" is not a list.";
      return false;
    }
  }
  return true;
}

bool ACTStore::CheckUser(std::string_view user, std::string_view password,
                         std::string& error) const {
  auto users = doc_.find("users");
  if (users == doc_.end() || users->empty()) {
    error = "The ACT! database " + path_ + " has no users.";
    return false;
  }
  {
    for (const json& u : *users) {
      if (!u.is_object()) continue;
      auto name = u.find("name");
      auto pass = u.find("password");
      if (name == u.end() || !name->is_string()) continue;
      if (!platform::EqualsNoCase(name->get_ref<const std::string&>(), user)) continue;
      const std::string stored =
          pass != u.end() && pass->is_string() ? pass->get<std::string>() : "";
      if (stored == password) return true;
      break;
    }
  }
  error = "Invalid ACT! user name or password for the database " + path_ + ".";
  return false;
}

bool ACTStore::Save(std::string& error) const {
  std::string why;
  if (platform::WriteFileAtomically(
          path_, doc_.dump(2, ' ', false, json::error_handler_t::replace) + "\n", 0600, &why))
    return true;
  error = "The ACT! database " + path_ + " could not be written: " + why;
  return false;
}

json& ACTStore::List(const char* name) {
  json& list = doc_[name];
  if (!list.is_array()) list = json::array();
  return list;
}

void ContactFromJson(const json& obj, ACTContactRecord& r, std::vector<std::string>& w) {
  if (!obj.is_object()) {
    w.push_back("A contact is not an object: " + Describe(obj) + "; it was read as empty.");
    return;
  }
  for (const ACTContactField& f : kACTContactFields) {
    auto it = obj.find(f.label);
    if (it == obj.end() || it->is_null()) continue;
    bool ok = true;
    switch (f.type) {
      case kACTFieldText:
        ok = it->is_string();
        if (ok) {
          const std::string& text = it->get_ref<const std::string&>();
          r.SetText(f.id, text);
          if (r.Text(f.id).size() < text.size())
            w.push_back(std::string("Field \"") + f.label + "\" was cut to its " +
                        std::to_string(f.size - 1) + " bytes.");
        }
        break;
      case kACTFieldBool:
        ok = it->is_boolean();
        if (ok) r.SetFlag(f.id, it->get<bool>());
        break;
      default: {
        OleDate d;
        ok = it->is_string() && ParseACTDate(it->get_ref<const std::string&>(), d);
        if (ok) r.SetDate(f.id, d);
        break;
      }
    }
    if (!ok)
      w.push_back(std::string("Field \"") + f.label + "\" holds " + Describe(*it) +
                  ", which is not a value of its kind; it was left empty.");
  }
}

void ContactToJson(const ACTContactRecord& r, json& obj) {
  if (!obj.is_object()) obj = json::object();
  for (const ACTContactField& f : kACTContactFields) {
    switch (f.type) {
      case kACTFieldText:
        obj[f.label] = std::string(r.Text(f.id));
        break;
      case kACTFieldBool:
        obj[f.label] = r.Flag(f.id);
        break;
      default:
        obj[f.label] = ACTDateText(r.Date(f.id));
        break;
    }
  }
}

template <class Record>
void RecordFromJson(const json& obj, Record& r, std::vector<std::string>& warnings) {
  if (!obj.is_object()) {
    warnings.push_back("A record is not an object: " + Describe(obj) + "; it was read as empty.");
    return;
  }
  FromJson v{obj, warnings};
  Record::VisitFileFields(r, v);
}

template <class Record>
void RecordToJson(const Record& r, json& obj) {
  if (!obj.is_object()) obj = json::object();
  ToJson v{obj};
  Record::VisitFileFields(r, v);
}

template void RecordFromJson(const json&, ACTEventRecord&, std::vector<std::string>&);
template void RecordFromJson(const json&, ACTTaskRecord&, std::vector<std::string>&);
template void RecordFromJson(const json&, ACTNoteRecord&, std::vector<std::string>&);
template void RecordToJson(const ACTEventRecord&, json&);
template void RecordToJson(const ACTTaskRecord&, json&);
template void RecordToJson(const ACTNoteRecord&, json&);

#include "PmPeerDump.h"

#include <ctime>
#include <fstream>
#include <iomanip>
#include <regex>
#include <sstream>

namespace {

class ReprParser {
 public:
  explicit ReprParser(const std::string& text) : s_(text) {}

  bool Parse(PyValue& out) {
    if (!Value(out)) return false;
    Space();
    return pos_ == s_.size();
  }

 private:
  void Space() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r')) ++pos_;
  }
  bool Eat(char c) {
    Space();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool Value(PyValue& out) {
    Space();
    if (pos_ >= s_.size()) return false;
    char c = s_[pos_];
    if (c == '[' || c == '(') return Sequence(out, c == '[' ? ']' : ')');
    if (c == '{') return Dict(out);
    if (c == '\'' || c == '"') {
      out.kind = PyValue::kStr;
      return String(out.str);
    }
    for (const char* word : {"True", "False", "None"}) {
      if (s_.compare(pos_, std::string(word).size(), word) == 0) {
        pos_ += std::string(word).size();
        out.kind = std::string(word) == "None" ? PyValue::kNone : PyValue::kBool;
        out.str = word;
        return true;
      }
    }
    std::size_t start = pos_;
    if (s_[pos_] == '-') ++pos_;
    while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    if (pos_ == start) return false;
    out.kind = PyValue::kInt;
    out.integer = std::stoll(s_.substr(start, pos_ - start));
    if (pos_ < s_.size() && s_[pos_] == 'L') ++pos_;
    return true;
  }

  bool Sequence(PyValue& out, char close) {
    ++pos_;
    out.kind = PyValue::kList;
    while (!Eat(close)) {
      PyValue item;
      if (!Value(item)) return false;
      out.items.push_back(std::move(item));
      if (!Eat(',') && !(Space(), pos_ < s_.size() && s_[pos_] == close)) return false;
    }
    return true;
  }

  bool Dict(PyValue& out) {
    ++pos_;
    out.kind = PyValue::kDict;
    while (!Eat('}')) {
      PyValue key, value;
      if (!Value(key) || key.kind != PyValue::kStr || !Eat(':') || !Value(value)) return false;
      out.dict[key.str] = std::move(value);
      if (!Eat(',') && !(Space(), pos_ < s_.size() && s_[pos_] == '}')) return false;
    }
    return true;
  }

  bool String(std::string& out) {
    char quote = s_[pos_++];
    while (pos_ < s_.size() && s_[pos_] != quote) {
      char c = s_[pos_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) return false;
      char e = s_[pos_++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'x':
          if (pos_ + 2 > s_.size()) return false;
          out += static_cast<char>(std::stoi(s_.substr(pos_, 2), nullptr, 16));
          pos_ += 2;
          break;
        default:
          out += e;
          break;
      }
    }
    return pos_++ < s_.size();
  }

  const std::string& s_;
  std::size_t pos_ = 0;
};

}  // namespace

const PyValue& PyValue::operator[](const std::string& key) const {
  static const PyValue kMissing;
  auto it = dict.find(key);
  return it == dict.end() ? kMissing : it->second;
}

bool ParsePyRepr(const std::string& text, PyValue& out) {
  return ReprParser(text).Parse(out);
}

std::vector<PalmFileSection> ReadPalmFileDump(const std::string& path) {
  std::vector<PalmFileSection> sections;
  std::ifstream in(path);
  std::string line;
  std::regex header(R"(fieldCount \d+ numEntries \d+ records (\d+) categories \d+)");
  while (std::getline(in, line)) {
    std::smatch m;
    if (line.rfind("=== ", 0) == 0) {
      sections.push_back({line.substr(4), 0, {}});
    } else if (!sections.empty() && std::regex_search(line, m, header)) {
      sections.back().declaredRecords = std::stoul(m[1]);
    } else if (!sections.empty() && line.rfind("[(", 0) == 0) {
      PyValue pairs;
      PyValue record;
      record.kind = PyValue::kDict;
      if (ParsePyRepr(line, pairs)) {
        for (auto& pair : pairs.items) {
          if (pair.items.size() == 2) record.dict[pair.items[0].str] = pair.items[1];
        }
      }
      sections.back().records.push_back(std::move(record));
    }
  }
  return sections;
}

std::int64_t ParseRfc1123(const std::string& text) {
  std::tm tm{};
  std::istringstream in(text);
  in >> std::get_time(&tm, "%a, %d %b %Y %H:%M:%S");
  if (in.fail()) return -1;
  return static_cast<std::int64_t>(timegm(&tm));
}

std::vector<TrevinSection> ReadTrevinDump(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream whole;
  whole << in.rdbuf();
  std::string text = whole.str();
  std::vector<TrevinSection> sections;
  std::size_t pos = 0;
  while ((pos = text.find("=== ", pos)) != std::string::npos) {
    std::size_t lineEnd = text.find('\n', pos);
    std::size_t next = text.find("\n=== ", lineEnd);
    std::string body =
        text.substr(lineEnd, next == std::string::npos ? std::string::npos : next - lineEnd);
    TrevinSection s;
    s.file = text.substr(pos + 4, lineEnd - pos - 4);
    std::smatch m;
    if (std::regex_search(body, m, std::regex(R"(version=(\d))"))) s.version = std::stoi(m[1]);
    s.error = body.find("ERROR:") != std::string::npos;
    if (std::regex_search(body, m, std::regex(R"(records=(\d+))"))) {
      s.declaredRecords = std::stoul(m[1]);
    }
    std::regex cat(R"#(CategoryEntry\[#(\d+),ID=(\d+),name="([^"]*)")#");
    for (std::sregex_iterator it(body.begin(), body.end(), cat), end; it != end; ++it) {
      s.categories.push_back({std::stoll((*it)[1]), std::stoll((*it)[2]), (*it)[3]});
    }
    std::size_t r = 0;
    while ((r = body.find("todo ToDoEntry[", r)) != std::string::npos) {
      std::size_t stop = body.find("\n\t", r);
      std::string rec = body.substr(r, stop - r);
      TrevinTodo t;
      auto field = [&](const std::string& key, const std::string& until) {
        std::size_t a = rec.find(key);
        if (a == std::string::npos) return std::string();
        a += key.size();
        std::size_t b = until.empty() ? rec.size() : rec.find(until, a);
        return rec.substr(a, b == std::string::npos ? std::string::npos : b - a);
      };
      t.id = std::stoll(field("ID=", ","));
      t.categoryIndex = std::stoll(field("categoryIndex=", ","));
      t.isPrivate = rec.find(",priv,") != std::string::npos;
      t.description = field("description=\"", "\",dueDate=");
      t.dueDate = ParseRfc1123(field("dueDate=\"", "\""));
      t.completed = field("completed=", ",") == "yes";
      t.priority = std::stoll(field("priority=", ","));
      t.hasLayout2Fields = rec.find(",completionDate=") != std::string::npos;
      if (t.hasLayout2Fields) {
        t.note = field("note=\"", "\",completionDate=");
        t.completionDate = ParseRfc1123(field("completionDate=\"", "\""));
        t.hasAlarm = field("hasAlarm=", ",") == "true";
        t.alarmDaysInAdvance = std::stoll(field("alarmDaysInAdvance=", ","));
      } else {
        std::string n = field("note=\"", "");
        t.note = n.substr(0, n.rfind("\","));
      }
      s.todos.push_back(std::move(t));
      r = stop;
    }
    sections.push_back(std::move(s));
    pos = lineEnd;
  }
  return sections;
}

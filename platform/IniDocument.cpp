#include "platform/IniDocument.h"

#include "platform/AtomicFile.h"

#include <sys/stat.h>

namespace platform {
namespace {

std::string_view Trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualFold(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

bool IniDocument::Load(const std::string& path) {
  std::string text;
  lines_.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return true;
  if (!ReadWholeFile(path, text)) return false;
  Parse(text);
  return true;
}

void IniDocument::Parse(std::string_view text) {
  lines_.clear();
  eol_ = "\n";
  if (auto nl = text.find('\n'); nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r')
    eol_ = "\r\n";
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    std::string_view raw = text.substr(pos, nl == std::string_view::npos ? nl : nl - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    Line line;
    line.raw = std::string(raw);
    std::string_view t = Trim(raw);
    if (!t.empty() && t.front() == '[') {
      auto close = t.find(']');
      line.kind = Line::kSection;
      line.name = std::string(
          Trim(t.substr(1, close == std::string_view::npos ? t.size() - 1 : close - 1)));
    } else if (!t.empty() && t.front() != ';') {
      auto eq = t.find('=');
      if (eq != std::string_view::npos) {
        line.kind = Line::kKey;
        line.name = std::string(Trim(t.substr(0, eq)));
        line.value = std::string(Trim(t.substr(eq + 1)));
      }
    }
    lines_.push_back(std::move(line));
  }
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& l : lines_) {
    out += l.raw;
    out += eol_;
  }
  return out;
}

bool IniDocument::Save(const std::string& path) const {
  return WriteFileAtomically(path, Serialize(), 0600);
}

std::size_t IniDocument::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Line::kSection && EqualFold(lines_[i].name, Trim(section))) return i;
  return std::string::npos;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  std::size_t s = FindSection(section);
  if (s == std::string::npos) return std::nullopt;
  for (std::size_t i = s + 1; i < lines_.size() && lines_[i].kind != Line::kSection; ++i)
    if (lines_[i].kind == Line::kKey && EqualFold(lines_[i].name, Trim(key)))
      return lines_[i].value;
  return std::nullopt;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  // A line break in a value would smuggle in a line of its own.
  std::string v(Trim(value));
  for (char& c : v)
    if (c == '\n' || c == '\r') c = ' ';
  std::string k(Trim(key));
  Line line{Line::kKey, k, v, k + "=" + v};
  std::size_t s = FindSection(section);
  if (s == std::string::npos) {
    if (!lines_.empty() && !Trim(lines_.back().raw).empty()) lines_.push_back(Line{});
    std::string name(Trim(section));
    lines_.push_back(Line{Line::kSection, name, {}, "[" + name + "]"});
    lines_.push_back(std::move(line));
    return;
  }
  std::size_t lastContent = s;
  std::size_t i = s + 1;
  for (; i < lines_.size() && lines_[i].kind != Line::kSection; ++i) {
    if (lines_[i].kind == Line::kKey && EqualFold(lines_[i].name, k)) {
      lines_[i].value = v;
      lines_[i].raw = lines_[i].name + "=" + v;
      return;
    }
    if (!Trim(lines_[i].raw).empty()) lastContent = i;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastContent + 1), std::move(line));
}

}  // namespace platform

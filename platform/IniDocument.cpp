#include "platform/IniDocument.h"

#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

std::string_view Trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Links deeper than this are taken for a loop, as the kernel's own limit does.
constexpr int kMaxLinkHops = 40;

std::string ErrnoText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// A FIFO would block the open or the read for ever, a device may never end: only a regular
// file is read. Missing (true, empty `out`) is not an error.
bool ReadRegularFile(const std::string& path, std::string& out, bool& missing, std::string& error) {
  out.clear();
  missing = false;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) {
      missing = true;
      return true;
    }
    error = ErrnoText("cannot look at", path);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = path + " is not a regular file";
    return false;
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = ErrnoText("cannot open", path);
    return false;
  }
  // The name may have been swapped for something else since the look.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    error = path + " is not a regular file";
    return false;
  }
  out.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = ErrnoText("cannot read", path);
      ::close(fd);
      out.clear();
      return false;
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

// The file a chain of symbolic links finally names (the path itself when it is no link), so
// that the atomic rename replaces the target and leaves the link in place. A dangling link
// gives the missing target, which the write then creates.
bool FinalTarget(const std::string& path, std::string& target, std::string& error) {
  target = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string link(4096, '\0');
    ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n < 0 || static_cast<std::size_t>(n) >= link.size()) {
      error = ErrnoText("cannot read the link", target);
      return false;
    }
    link.resize(static_cast<std::size_t>(n));
    if (link.empty() || link.front() != '/') {
      auto slash = target.rfind('/');
      link = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + link;
    }
    target = link;
  }
  error = "too many symbolic links from " + path;
  return false;
}

}  // namespace

bool IniDocument::Load(const std::string& path) {
  std::string text;
  bool missing = false;
  error_.clear();
  Parse({});
  if (!ReadRegularFile(path, text, missing, error_)) return false;
  Parse(text);
  return true;
}

void IniDocument::Parse(std::string_view text) {
  sections_.assign(1, Section{});
  eol_ = "\n";
  // Windows editors put a byte-order mark before "[VEGG]"; left in, it would hide the section.
  bom_ = text.substr(0, kBom.size()) == kBom;
  if (bom_) text.remove_prefix(kBom.size());
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
      Section section;
      section.hasHeader = true;
      section.name = std::string(
          Trim(t.substr(1, close == std::string_view::npos ? t.size() - 1 : close - 1)));
      section.header = std::move(line.raw);
      sections_.push_back(std::move(section));
      continue;
    }
    if (!t.empty() && t.front() != ';') {
      auto eq = t.find('=');
      if (eq != std::string_view::npos) {
        line.isKey = true;
        line.name = std::string(Trim(t.substr(0, eq)));
        line.value = std::string(Trim(t.substr(eq + 1)));
      }
    }
    sections_.back().lines.push_back(std::move(line));
  }
}

std::string IniDocument::Serialize() const {
  std::string out(bom_ ? kBom : std::string_view());
  for (const Section& s : sections_) {
    if (s.hasHeader) {
      out += s.header;
      out += eol_;
    }
    for (const Line& l : s.lines) {
      out += l.raw;
      out += eol_;
    }
  }
  return out;
}

bool IniDocument::Save(const std::string& path) const {
  error_.clear();
  std::string target;
  if (!FinalTarget(path, target, error_)) return false;
  if (WriteFileAtomically(target, Serialize(), 0600)) return true;
  error_ = ErrnoText("cannot write", target);
  return false;
}

std::size_t IniDocument::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < sections_.size(); ++i)
    if (sections_[i].hasHeader && EqualsNoCase(sections_[i].name, Trim(section))) return i;
  return std::string::npos;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  std::size_t s = FindSection(section);
  if (s == std::string::npos) return std::nullopt;
  for (const Line& l : sections_[s].lines)
    if (l.isKey && EqualsNoCase(l.name, Trim(key))) return l.value;
  return std::nullopt;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < sections_.size(); ++i)
    if (sections_[i].hasHeader && FindSection(sections_[i].name) == i)
      names.push_back(sections_[i].name);
  return names;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(
    std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> out;
  std::size_t s = FindSection(section);
  if (s == std::string::npos) return out;
  for (const Line& l : sections_[s].lines) {
    if (!l.isKey) continue;
    bool seen = false;
    for (const auto& e : out) seen = seen || EqualsNoCase(e.first, l.name);
    if (!seen) out.emplace_back(l.name, l.value);
  }
  return out;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  // A line break in a value would smuggle in a line of its own.
  std::string v(Trim(value));
  for (char& c : v)
    if (c == '\n' || c == '\r') c = ' ';
  std::string k(Trim(key));
  Line line{true, k, v, k + "=" + v};
  if (sections_.empty()) sections_.emplace_back();
  std::size_t s = FindSection(section);
  if (s == std::string::npos) {
    const Section& last = sections_.back();
    const std::string* lastRaw = !last.lines.empty() ? &last.lines.back().raw
                                 : last.hasHeader    ? &last.header
                                                     : nullptr;
    if (lastRaw && !Trim(*lastRaw).empty()) sections_.back().lines.emplace_back();
    Section added;
    added.hasHeader = true;
    added.name = std::string(Trim(section));
    added.header = "[" + added.name + "]";
    added.lines.push_back(std::move(line));
    sections_.push_back(std::move(added));
    return;
  }
  // A new key goes after the section's last non-blank line, before the blank ones.
  std::vector<Line>& lines = sections_[s].lines;
  std::size_t insertAt = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].isKey && EqualsNoCase(lines[i].name, k)) {
      lines[i].value = v;
      lines[i].raw = lines[i].name + "=" + v;
      return;
    }
    if (!Trim(lines[i].raw).empty()) insertAt = i + 1;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
}

}  // namespace platform

#include "palm/PmDBEx2Util.h"

#include <filesystem>

#include "palm/PmMDBAccessor.h"

namespace {

struct DatabaseFiles {
  const char* kind;
  const char* folder;
  const char* file;
};

constexpr DatabaseFiles kFiles[] = {
    {"Contacts", "address", "Address.mdb"},
    {"Calendar", "datebook", "DateBook.mdb"},
    {"Tasks", "todo", "Todolist.mdb"},
    {"Memos", "MemoPad", "MemoPad.mdb"},
};

const DatabaseFiles& FilesOf(PmDbKind kind) {
  auto index = static_cast<std::size_t>(kind) - 1;
  return kFiles[index < std::size(kFiles) ? index : 0];
}

bool EqualFolded(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// `name` inside `folder`, or the entry whose name differs only in case when that one is missing.
std::filesystem::path Entry(const std::filesystem::path& folder, const std::string& name) {
  std::filesystem::path exact = folder / name;
  std::error_code ec;
  if (std::filesystem::exists(exact, ec)) return exact;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (EqualFolded(it->path().filename().string(), name)) return it->path();
  }
  return exact;
}

}  // namespace

PmDBEx2Util::PmDBEx2Util(PmDbKind kind) : kind_(kind) {}

PmDBEx2Util::~PmDBEx2Util() = default;

const char* PmDBEx2Util::KindName() const {
  return FilesOf(kind_).kind;
}

std::string PmDBEx2Util::UserFile(const std::string& userFolder) const {
  const DatabaseFiles& f = FilesOf(kind_);
  return Entry(Entry(userFolder, f.folder), f.file).string();
}

void PmDBEx2Util::SetAccessor(std::unique_ptr<PmDataAccessor> accessor) {
  accessor_ = std::move(accessor);
  categories_.SetAccessor(accessor_.get());
  opened_ = false;
}

bool PmDBEx2Util::Open(const std::string& path) {
  opened_ = false;
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
    QM_LOG_ERROR("The file doesn't exist. Abort.");
    return false;
  }
  if (!accessor_) SetAccessor(std::make_unique<PmMDBAccessor>());
  if (!accessor_->Open(kind_, path)) return false;
  opened_ = true;
  LoadCategories();
  return true;
}

bool PmDBEx2Util::LoadCategories() {
  categories_.SetAccessor(accessor_.get());
  return categories_.Load();
}

bool PmDBEx2Util::LoadInformation() {
  return accessor_ && info_.Load(*accessor_);
}

void PmDBEx2Util::FillCategoryName(PmEx2Head& head) const {
  const PmCategoryEx2* c = categories_.ById(head.categoryId);
  head.categoryName = c ? c->name.view() : std::string_view();
}

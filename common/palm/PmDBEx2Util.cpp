#include "palm/PmDBEx2Util.h"

#include <filesystem>

#include "palm/PmMDBAccessor.h"
#include "palm/PmSourceBase.h"

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

}  // namespace

PmDBEx2Util::PmDBEx2Util(PmDbKind kind) : kind_(kind) {}

PmDBEx2Util::~PmDBEx2Util() = default;

const char* PmDBEx2Util::KindName() const {
  return FilesOf(kind_).kind;
}

std::string PmDBEx2Util::UserFile(const std::string& userFolder) const {
  const DatabaseFiles& f = FilesOf(kind_);
  return PmEntryNoCase(PmEntryNoCase(userFolder, f.folder), f.file);
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
  // An Access database of another program opens as well as ours; without the records table
  // it would read as an empty Palm database.
  if (!accessor_->HasTable("Main")) {
    QM_LOG_ERROR("%s is not a Palm Desktop database: it has no table Main.", path.c_str());
    return false;
  }
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

#include "palm/PmDBUtil.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "misc/CxDebugUtil.h"
#include "palm/PmFileLayout.h"
#include "palm/PmSourceBase.h"

namespace {

constexpr char kMagicText[] = "PalmSG Database00RV";
constexpr std::size_t kMagicTextBytes = sizeof kMagicText - 1;
constexpr std::size_t kMagicBytes = 5 + kMagicTextBytes;
constexpr std::size_t kCategoryNameCapacity = 256;
// Smallest field on disk: a type code and one 4-byte value (or empty opaque, or no-repeat rule).
constexpr std::uint64_t kMinFieldBytes = 8;

struct DatabaseNames {
  const char* kind;
  const char* shortName;
  const char* folder;
  const char* file;
};

constexpr DatabaseNames kNames[] = {
    {"Contacts", "address book", "address", "address.dat"},
    {"Calendar", "datebook", "datebook", "datebook.dat"},
    {"Tasks", "todo list", "todo", "todo.dat"},
    {"Memos", "memopad", "memopad", "memopad.dat"},
};

}  // namespace

std::string PmCounted(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

namespace {

bool IsKnownVersion(std::uint32_t v) {
  for (auto db : {PmDatabase::kAddress, PmDatabase::kDate, PmDatabase::kTodo, PmDatabase::kMemo}) {
    if (v == PmDBUtil::VersionWord(db, 1) || v == PmDBUtil::VersionWord(db, 2)) return true;
  }
  return false;
}

}  // namespace

PmDBUtil::PmDBUtil(PmDatabase db, int layout) : db_(db), layout_(layout) {
  if (const PmFileLayout* shape = PmFileLayout::ForNumber(layout_)) shape->InitHeader(db_, header_);
  header_.version = ExpectedVersion();
}

PmDBUtil::~PmDBUtil() = default;

const char* PmDBUtil::KindName() const {
  return kNames[static_cast<int>(db_)].kind;
}
const char* PmDBUtil::ShortName() const {
  return kNames[static_cast<int>(db_)].shortName;
}

void PmDBUtil::SetStandardSchema(std::int32_t resourceId, std::vector<std::uint16_t> types) {
  schema_ = PmSchema{};
  schema_.resourceId = resourceId;
  schema_.fieldsPerRow = static_cast<std::int32_t>(types.size());
  schema_.recordIdPosition = 0;
  schema_.statusPosition = layout_ == 1 ? 1 : 2;
  schema_.placementPosition = layout_ == 1 ? 2 : 4;
  schema_.fieldTypes = std::move(types);
}

PmCategoryMgr& PmDBUtil::EnsureCategories() {
  if (!categories_) {
    categories_ = std::make_unique<PmCategoryMgr>();
    categories_->Add({0, 0, "Unfiled", "Unfiled", 0});
    categories_->ClearModified();
  }
  return *categories_;
}

bool PmDBUtil::CategoryText(std::int32_t id, std::string& out) const {
  assert(categories_ && "m_pCatMgr!=NULL && szCatText!=NULL");
  if (!categories_) return false;
  const PmCategory* c = categories_->ById(id);
  if (!c) return false;
  out = c->name;
  return true;
}

// Records hold the category's slot, not its ID: Palm Desktop files whose IDs are 4, 6, 7, 16
// have records filed under 1 to 4.
std::string PmDBUtil::CategoryNameFor(std::int32_t value) const {
  if (!categories_) return value == 0 ? "Unfiled" : "";
  const PmCategory* c = categories_->ByIndex(value);
  return c ? c->name : std::string();
}

void PmDBUtil::Clear() {
  ClearRecords();
  categories_.reset();
  repeats_.Reset();
}

std::string PmDBUtil::UserFile(PmDatabase db, const std::string& userFolder) {
  const DatabaseNames& n = kNames[static_cast<int>(db)];
  return PmEntryNoCase(PmEntryNoCase(userFolder, n.folder), n.file);
}

int PmDBUtil::PeekLayout(const std::string& path, PmDatabase db) {
  PmFileSource src(path);
  if (!src.IsOpen()) return 0;
  std::uint32_t word = src.ReadU32();
  if (!IsKnownVersion(word)) {
    std::uint8_t magic[kMagicBytes - 4];
    if (!src.ReadBytes(magic, sizeof magic)) return 0;
    word = src.ReadU32();
  }
  if (src.Failed()) return 0;
  for (int layout : {1, 2}) {
    if (word == VersionWord(db, layout)) return layout;
  }
  return 0;
}

bool PmDBUtil::LoadByUser(const std::string& userFolder) {
  return Load(UserFile(db_, userFolder));
}

bool PmDBUtil::Load(const std::string& path) {
  if (layout_ == 2) {
    QM_LOG_INFO("Loading Palm Desktop %s: %s", KindName(), path.c_str());
  } else {
    QM_LOG_INFO("Loading Palm Desktop %s: %s", ShortName(), path.c_str());
  }
  PmFileSource src(path);
  if (path.empty() || !src.IsOpen()) {
    report_.Reset();
    CxFirstError cause;
    QM_LOG_ERROR("Failed to open file: %s: %s", path.c_str(), src.OpenError().c_str());
    report_.reason = cause.Text();
    return false;
  }
  currentFile_ = path.substr(0, 255);
  bool ok = Load(src);
  if (!ok && db_ != PmDatabase::kAddress) {
    if (layout_ == 2) {
      QM_LOG_ERROR("Load Palm Desktop %s failed: %s", KindName(), path.c_str());
    } else {
      QM_LOG_ERROR("Load Palm Desktop %s failed: %s", ShortName(), path.c_str());
    }
  }
  return ok;
}

bool PmDBUtil::ReadMagicAndVersion(PmByteSource& src) {
  // The magic block is optional in both layouts: Palm Desktop 4.1.4 writes it on the live file,
  // and converters write layout-2 files without it and layout-1 files with it.
  std::uint32_t first = src.ReadU32();
  if (src.Failed()) {
    QM_LOG_ERROR("Failed to check magic code.");
    return false;
  }
  header_.hasMagic = !IsKnownVersion(first);
  if (header_.hasMagic) {
    std::uint8_t block[kMagicBytes];
    for (std::size_t i = 0; i < 4; ++i) block[i] = static_cast<std::uint8_t>(first >> (8 * i));
    bool read = src.ReadBytes(block + 4, kMagicBytes - 4);
    std::string text(reinterpret_cast<const char*>(block + 5), kMagicTextBytes);
    if (!read || text != kMagicText) {
      QM_LOG_ERROR("Incorrect database magic code: %s", read ? text.c_str() : "");
      QM_LOG_ERROR("Failed to check magic code.");
      return false;
    }
    std::memcpy(header_.magicPrefix.data(), block, header_.magicPrefix.size());
    header_.version = src.ReadU32();
  } else {
    header_.version = first;
  }
  if (src.Failed() || header_.version != ExpectedVersion()) {
    QM_LOG_ERROR("Incorrect database version:%d", static_cast<int>(header_.version));
    QM_LOG_ERROR("Failed to check database version.");
    return false;
  }
  QM_LOG_INFO("Database version: %d", static_cast<int>(header_.version));
  return true;
}

bool PmDBUtil::Load(PmByteSource& src) {
  report_.Reset();
  CxFirstError cause;
  bool ok = LoadTwice(src);
  if (ok) {
    report_.records = RecordCount();
    if (!report_.complete) {
      QM_LOG_ERROR("Palm Desktop %s: kept %zu records; stopped at %s", KindName(), RecordCount(),
                   report_.stoppedAt.c_str());
    }
  } else {
    report_.reason = cause.Text().empty() ? "the file could not be read" : cause.Text();
  }
  return ok;
}

bool PmDBUtil::LoadTwice(PmByteSource& src) {
  addressLabels_ = true;
  if (LoadOnce(src)) return true;
  // The custom labels' place in a layout-2 address book is unconfirmed; if reading them there
  // derails the file, read it once more with the plain 43-byte run of the other databases.
  if (db_ != PmDatabase::kAddress || layout_ != 2 || !versionMatched_ || !src.Rewind()) {
    return false;
  }
  QM_LOG_INFO("Reading the address book again without custom labels in its header.");
  addressLabels_ = false;
  report_.Reset();
  if (LoadOnce(src)) return true;
  addressLabels_ = true;
  return false;
}

bool PmDBUtil::LoadOnce(PmByteSource& src) {
  ClearRecords();
  repeats_.Reset();
  textTag_ = 1;
  textTagSeen_ = false;
  position_ = 0;
  bool ok = false;
  const PmFileLayout* shape = nullptr;
  versionMatched_ = false;
  do {
    if (!ReadMagicAndVersion(src)) break;
    versionMatched_ = true;
    shape = PmFileLayout::ForVersion(header_.version);
    if (!shape || !shape->ReadHeader(*this, src, header_)) {
      if (shape && shape->Number() == 1) QM_LOG_ERROR("Failed to load database file descriptions.");
      break;
    }
    if (!ReadCategories(src)) {
      QM_LOG_ERROR("Failed to load category information.");
      break;
    }
    if (!ReadSchema(src)) {
      QM_LOG_ERROR("Failed to load database schema information.");
      break;
    }
    if (!ReadRecords(src, *shape)) {
      QM_LOG_ERROR("Failed to load %s records.", KindName());
      break;
    }
    ok = true;
  } while (false);
  position_ = src.Position();
  if (ok) QM_LOG_INFO("Palm Desktop %s information is loaded successfully.", KindName());
  return ok;
}

bool PmDBUtil::ReadCategories(PmByteSource& src) {
  categories_.reset();
  PmCategoryMgr& mgr = EnsureCategories();
  std::int32_t nextFree = src.ReadI32();
  std::int32_t count = src.ReadI32();
  if (src.Failed()) {
    QM_LOG_ERROR("Failed to read the next feed ID.");
    return false;
  }
  mgr.SetNextFreeId(nextFree);
  // Each entry needs at least 14 bytes and only 15 slots exist, so the loop ends either way.
  for (std::int32_t i = 0; i < count; ++i) {
    PmCategory c;
    c.index = src.ReadI32();
    c.id = src.ReadI32();
    c.flags = src.ReadI32() != 0 ? PmCategory::kDirty : 0;
    if (src.Failed() || !ReadCountedString(src, c.name, kCategoryNameCapacity)) {
      QM_LOG_ERROR("Failed to read category name.");
      return false;
    }
    QM_LOG_INFO("Read category:%s", c.name.c_str());
    if (!ReadCountedString(src, c.shortName, kCategoryNameCapacity)) {
      QM_LOG_ERROR("Failed to read category file name.");
      return false;
    }
    if (!mgr.Add(std::move(c))) {
      QM_LOG_ERROR("Failed to add category %d of %d.", i + 1, count);
      return false;
    }
  }
  mgr.ClearModified();
  QM_LOG_INFO("Load Palm Desktop %s categories successfully.", KindName());
  return true;
}

bool PmDBUtil::ReadSchema(PmByteSource& src) {
  PmSchema s;
  struct Item {
    std::int32_t* field;
    const char* name;
    const char* failure;
  };
  const Item items[] = {
      {&s.resourceId, "Resource ID:%d", "Failed to read resource ID."},
      {&s.fieldsPerRow, "Fields Per Row:%d", "Failed to read fields per row."},
      {&s.recordIdPosition, "Record ID Position:%d", "Failed to read Record ID Position."},
      {&s.statusPosition, "Record Status Position:%d", "Failed to read Record Status Position."},
      {&s.placementPosition, "Placement Position:%d", "Failed to read Placement Position."},
  };
  for (const Item& item : items) {
    *item.field = src.ReadI32();
    if (src.Failed()) {
      QM_LOG_ERROR("%s", item.failure);
      return false;
    }
    QM_LOG_INFO(item.name, *item.field);
  }
  // Zero fields per row would divide by zero and loop for ever; Palm never writes it.
  if (s.fieldsPerRow <= 0 || s.fieldsPerRow > kMaxFieldsPerRow) {
    QM_LOG_ERROR("Fields per row out of range: %d", s.fieldsPerRow);
    return false;
  }
  std::uint16_t count = src.ReadU16();
  if (src.Failed() || src.BytesLeft() / 2 < count) {
    QM_LOG_ERROR("Failed to read Fields Count.");
    return false;
  }
  QM_LOG_INFO("Fields Count:%d", count);
  for (std::uint16_t i = 0; i < count; ++i) {
    s.fieldTypes.push_back(src.ReadU16());
    QM_LOG_INFO("Field (%d) - %d", i, s.fieldTypes.back());
  }
  if (src.Failed()) {
    QM_LOG_ERROR("Failed to read Field Type. Index=%d", static_cast<int>(s.fieldTypes.size()));
    return false;
  }
  if (count != s.fieldsPerRow) {
    QM_LOG_INFO("Fields Count %d differs from fields per row %d; records follow the latter.", count,
                s.fieldsPerRow);
  }
  schema_ = std::move(s);
  return true;
}

bool PmDBUtil::ReadRecords(PmByteSource& src, const PmFileLayout& layout) {
  ClearRecords();
  std::int32_t total = src.ReadI32();
  if (src.Failed() || total < 0) {
    QM_LOG_ERROR("Failed to read total fields count.");
    return false;
  }
  const std::int32_t perRow = schema_.fieldsPerRow;
  std::int32_t records = total / perRow;
  layout.LogRecordCount(*this, total, records);
  // Fewer fields per row than a record has would read each record's tail as the next record.
  if (static_cast<std::size_t>(perRow) < KnownFields()) {
    QM_LOG_ERROR("The file is damaged: %d fields per row, but a %s record has %d fields.", perRow,
                 ShortName(), static_cast<int>(KnownFields()));
    return false;
  }
  if (!layout.KeepsRecordsBeforeError()) {
    // Layout 2 says the same count twice; when the two differ, rows would be merged or invented.
    if (schema_.fieldTypes.size() != static_cast<std::size_t>(perRow)) {
      QM_LOG_ERROR("The file is damaged: %d fields per row, but the schema lists %d field types.",
                   perRow, static_cast<int>(schema_.fieldTypes.size()));
      return false;
    }
    if (total % perRow != 0) {
      QM_LOG_ERROR(
          "The file is damaged: %d fields in total is not a whole number of %d-field rows.", total,
          perRow);
      return false;
    }
  } else if (total % perRow != 0) {
    auto n = [](std::int32_t v) { return PmCounted(static_cast<std::uint32_t>(v)); };
    report_.StopAt(n(total % perRow) + " fields after the last whole record (" + n(total) +
                   " fields in total, " + n(perRow) + " per row)");
  }
  if (static_cast<std::size_t>(perRow) > KnownFields()) {
    QM_LOG_INFO("Records have %d fields, %d of them known; the rest are kept as read.", perRow,
                static_cast<int>(KnownFields()));
  }
  const std::uint64_t minRecordBytes = kMinFieldBytes * static_cast<std::uint64_t>(perRow);
  // Room for as many records as the bytes left can hold, so a hostile count allocates nothing.
  ReserveRecords(static_cast<std::size_t>(std::min<std::uint64_t>(
      static_cast<std::uint64_t>(records), src.BytesLeft() / minRecordBytes)));
  for (std::int32_t i = 0; i < records; ++i) {
    const std::uint64_t at = src.Position();
    // A count larger than the bytes left can hold is a truncated file: the read below fails.
    if (src.BytesLeft() < minRecordBytes || !ReadRecord(src, perRow)) {
      QM_LOG_ERROR("Error reading Palm Desktop %s, current file position: %llu", KindName(),
                   static_cast<unsigned long long>(src.Position()));
      const std::string where = "byte " + PmCounted(at) + " of " + PmCounted(src.Size()) +
                                ": record " + PmCounted(static_cast<std::uint64_t>(i) + 1) +
                                " of " + PmCounted(static_cast<std::uint64_t>(records)) +
                                " could not be read";
      if (layout.KeepsRecordsBeforeError()) {
        QM_LOG_INFO("Kept %d of %d records read before the error.", static_cast<int>(RecordCount()),
                    records);
        report_.StopAt(where);
        return true;
      }
      QM_LOG_ERROR("Palm Desktop %s records are not saved successfully (%s).", KindName(),
                   where.c_str());
      return false;
    }
  }
  if (layout.Number() == 2) {
    QM_LOG_INFO("Palm Desktop %s records information is saved successfully.", KindName());
  }
  return true;
}

bool PmDBUtil::SaveAs(const std::string& path) {
  QM_LOG_INFO("Save Palm Desktop %s database as file: %s", ShortName(), path.c_str());
  PmFileSink sink(path);
  if (!sink.IsOpen()) {
    QM_LOG_ERROR("Failed to open file: %s", path.c_str());
    return false;
  }
  std::string previous = header_.fileName;
  header_.fileName = path.substr(0, 260);
  bool ok = Save(sink);
  header_.fileName = previous;
  ok = sink.Close() && ok;
  if (ok) QM_LOG_INFO("Palm Desktop %s database saved successfully.", ShortName());
  return ok;
}

bool PmDBUtil::Save(PmByteSink& sink) const {
  const PmFileLayout* shape = PmFileLayout::ForNumber(layout_);
  if (!shape) return false;
  repeatWriter_.Reset();
  if (header_.hasMagic) {
    sink.WriteBytes(header_.magicPrefix.data(), header_.magicPrefix.size());
    sink.WriteBytes(kMagicText, kMagicTextBytes);
  }
  sink.WriteU32(ExpectedVersion());
  if (sink.Failed()) {
    QM_LOG_ERROR("Failed to write database version information.");
    return false;
  }
  shape->WriteHeader(*this, sink, header_);
  if (sink.Failed()) {
    QM_LOG_ERROR("Failed to write database file name.");
    return false;
  }
  WriteCategories(sink);
  if (sink.Failed()) {
    QM_LOG_ERROR("Failed to save categories information.");
    return false;
  }
  WriteSchema(sink);
  if (sink.Failed()) {
    QM_LOG_ERROR("Failed to save database schema information.");
    return false;
  }
  WriteRecords(sink);
  if (sink.Failed()) {
    QM_LOG_ERROR("Failed to save %s records information.", ShortName());
    return false;
  }
  return true;
}

void PmDBUtil::WriteCategories(PmByteSink& sink) const {
  sink.WriteI32(categories_ ? categories_->NextFreeId() : PmCategoryMgr::kFirstFreeId);
  if (!categories_ || categories_->Count() < 2) {
    sink.WriteI32(0);
    return;
  }
  sink.WriteI32(static_cast<std::int32_t>(categories_->Count() - 1));
  categories_->ForEach([&](const PmCategory& c) {
    if (c.id == 0) return;
    sink.WriteI32(c.index);
    sink.WriteI32(c.id);
    sink.WriteI32(0);
    WriteCountedString(sink, c.name);
    WriteCountedString(sink, c.shortName);
  });
}

void PmDBUtil::WriteSchema(PmByteSink& sink) const {
  sink.WriteI32(schema_.resourceId);
  sink.WriteI32(schema_.fieldsPerRow);
  sink.WriteI32(schema_.recordIdPosition);
  sink.WriteI32(schema_.statusPosition);
  sink.WriteI32(schema_.placementPosition);
  std::size_t n = std::min<std::size_t>(schema_.fieldTypes.size(), 0xFFFF);
  sink.WriteU16(static_cast<std::uint16_t>(n));
  for (std::size_t i = 0; i < n; ++i) sink.WriteU16(schema_.fieldTypes[i]);
}

bool PmDBUtil::ReadCountedString(PmByteSource& src, std::string& out, std::size_t capacity) {
  std::size_t length = src.ReadU8();
  if (length == 0xFF) length = src.ReadU16();
  if (src.Failed() || length > capacity || src.BytesLeft() < length) {
    src.Fail();
    return false;
  }
  return src.ReadString(out, length);
}

void PmDBUtil::WriteCountedString(PmByteSink& sink, const std::string& text) {
  std::size_t length = std::min(text.size(), kMaxCountedString);
  if (length < 0xFF) {
    sink.WriteU8(static_cast<std::uint8_t>(length));
  } else {
    sink.WriteU8(0xFF);
    sink.WriteU16(static_cast<std::uint16_t>(length));
  }
  sink.WriteBytes(text.data(), length);
}

bool PmDBUtil::ReadIntegerField(PmByteSource& src, std::int32_t& out) {
  std::uint32_t code = src.ReadU32();
  out = src.ReadI32();
  if (!PmIsIntegerType(code)) src.Fail();
  return !src.Failed();
}

bool PmDBUtil::ReadTextField(PmByteSource& src, std::string& out) {
  std::uint32_t code = src.ReadU32();
  std::int32_t tag = src.ReadI32();
  if (code != kPmText) src.Fail();
  if (!src.Failed() && !textTagSeen_) {
    textTag_ = tag;
    textTagSeen_ = true;
  }
  return !src.Failed() && ReadCountedString(src, out, kMaxCountedString);
}

bool PmDBUtil::ReadOpaqueField(PmByteSource& src, PmOpaque& out) {
  src.ReadU32();  // not checked: Palm Desktop writes 64 to 67 here
  return ReadOpaqueBody(src, out);
}

bool PmDBUtil::ReadOpaqueBody(PmByteSource& src, PmOpaque& out) {
  out = PmOpaque{};
  out.size = src.ReadI32();
  std::int64_t n = out.size;
  if (out.size >= 1 && out.size <= 3) {
    out.first = src.ReadI32();
    out.second = src.ReadI32();
    n = src.ReadI32();
  }
  if (src.Failed() || n < 0 || n > kMaxOpaqueBytes ||
      src.BytesLeft() < static_cast<std::uint64_t>(n)) {
    src.Fail();
    return false;
  }
  out.bytes.assign(static_cast<std::size_t>(n), 0);
  return src.ReadBytes(out.bytes.data(), out.bytes.size());
}

bool PmDBUtil::ReadRealField(PmByteSource& src, double& out) {
  src.ReadU32();  // read and ignored, as Palm Desktop does
  out = src.ReadF64();
  return !src.Failed();
}

bool PmDBUtil::ReadRepeatField(PmByteSource& src, PmRepeat& out) {
  std::uint32_t code = src.ReadU32();
  if (code != kPmRepeatRule) src.Fail();
  if (src.Failed() || !repeats_.Read(src, out)) {
    src.Fail();
    return false;
  }
  return true;
}

bool PmDBUtil::ReadAnyField(PmByteSource& src, PmAnyField& out) {
  out = PmAnyField{};
  out.code = src.ReadU32();
  if (src.Failed()) return false;
  if (PmIsIntegerType(out.code)) {
    out.integer = src.ReadI32();
  } else if (out.code == kPmText) {
    src.ReadU32();  // the text tag, as in ReadTextField
    ReadCountedString(src, out.text, kMaxCountedString);
  } else if (PmIsOpaqueType(out.code)) {
    ReadOpaqueBody(src, out.opaque);
  } else if (out.code == kPmReal) {
    out.real = src.ReadF64();
  } else if (out.code == kPmRepeatRule) {
    if (!repeats_.Read(src, out.repeat)) src.Fail();
  } else {
    src.Fail();
  }
  return !src.Failed();
}

void PmDBUtil::WriteIntegerField(PmByteSink& sink, std::uint16_t code, std::int32_t value) {
  sink.WriteU32(code);
  sink.WriteI32(value);
}

void PmDBUtil::WriteTextField(PmByteSink& sink, const std::string& text) const {
  sink.WriteU32(kPmText);
  sink.WriteI32(textTag_);
  WriteCountedString(sink, text);
}

void PmDBUtil::WriteOpaqueField(PmByteSink& sink, std::uint16_t code, const PmOpaque& value) {
  sink.WriteU32(code);
  // The size says what follows, so it is derived from the bytes: a file we write always reads.
  std::size_t n = std::min(value.bytes.size(), static_cast<std::size_t>(kMaxOpaqueBytes));
  if (value.size >= 1 && value.size <= 3) {
    sink.WriteI32(value.size);
    sink.WriteI32(value.first);
    sink.WriteI32(value.second);
    sink.WriteI32(static_cast<std::int32_t>(n));
    sink.WriteBytes(value.bytes.data(), n);
  } else if (value.size >= 4 || n > 0) {
    std::vector<std::uint8_t> bytes(std::max<std::size_t>(n, 4), 0);
    std::copy_n(value.bytes.begin(), n, bytes.begin());
    sink.WriteI32(static_cast<std::int32_t>(bytes.size()));
    sink.WriteBytes(bytes.data(), bytes.size());
  } else {
    sink.WriteI32(0);
  }
}

void PmDBUtil::WriteRealField(PmByteSink& sink, double value) {
  sink.WriteU32(kPmReal);
  sink.WriteF64(value);
}

void PmDBUtil::WriteRepeatField(PmByteSink& sink, const PmRepeat& value) const {
  sink.WriteU32(kPmRepeatRule);
  repeatWriter_.Write(sink, value);
}

void PmDBUtil::WriteAnyField(PmByteSink& sink, const PmAnyField& field) const {
  if (PmIsIntegerType(field.code)) {
    WriteIntegerField(sink, static_cast<std::uint16_t>(field.code), field.integer);
  } else if (field.code == kPmText) {
    WriteTextField(sink, field.text);
  } else if (PmIsOpaqueType(field.code)) {
    WriteOpaqueField(sink, static_cast<std::uint16_t>(field.code), field.opaque);
  } else if (field.code == kPmReal) {
    WriteRealField(sink, field.real);
  } else if (field.code == kPmRepeatRule) {
    WriteRepeatField(sink, field.repeat);
  }
}

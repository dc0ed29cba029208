#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "misc/CxLoadReport.h"
#include "palm/PmByteSource.h"
#include "palm/PmCategory.h"
#include "palm/PmField.h"
#include "palm/PmRepeat.h"

class PmFileLayout;

// A count with thousands separators, for messages to the person: "31,150".
std::string PmCounted(std::uint64_t n);

enum class PmDatabase : std::uint8_t { kAddress, kDate, kTodo, kMemo };

struct PmSchema {
  std::int32_t resourceId = 0;
  std::int32_t fieldsPerRow = 0;
  std::int32_t recordIdPosition = 0;
  std::int32_t statusPosition = 0;
  std::int32_t placementPosition = 0;
  std::vector<std::uint16_t> fieldTypes;

  friend bool operator==(const PmSchema&, const PmSchema&) = default;
};

struct PmCustomLabel {
  std::string text;
  std::int32_t value = 0;  // stored after each layout-2 label; meaning unknown

  friend bool operator==(const PmCustomLabel&, const PmCustomLabel&) = default;
};

// Everything in front of the category block, kept so that a file can be written back.
struct PmHeader {
  static constexpr std::array<std::uint8_t, 5> kMagicPrefix = {0xBE, 0xBA, 0xFE, 0xCA, 0x0F};

  bool hasMagic = false;
  std::array<std::uint8_t, 5> magicPrefix = kMagicPrefix;
  std::uint32_t version = 0;
  std::array<std::uint8_t, 24> reserved1{};
  std::string fileName;
  std::string tableString;              // layout 1; in the address book the custom labels
  std::vector<std::uint8_t> reserved2;  // layout 2
  std::vector<PmCustomLabel> labels;    // address book
  std::vector<std::uint8_t> reserved3;  // layout-2 address book

  friend bool operator==(const PmHeader&, const PmHeader&) = default;
};

// A Palm Desktop 4.x ".dat" database: header, categories, schema and the record block. Each
// loader derives from it and supplies its record type and fixed field table; the differences
// between the two file layouts live in the PmFileLayout picked from the version word.
class PmDBUtil {
 public:
  // 0x00, layout, two letters naming the database.
  static constexpr std::uint32_t VersionWord(PmDatabase db, int layout) {
    constexpr std::uint32_t kLetters[] = {0x41420000, 0x44420000, 0x54440000, 0x4D500000};
    return kLetters[static_cast<int>(db)] | (static_cast<std::uint32_t>(layout) << 8);
  }
  // Largest schema Palm Desktop writes has 73 fields; this bounds per-record work on corrupt files.
  static constexpr std::int32_t kMaxFieldsPerRow = 1024;
  // A counted string cannot exceed its 2-byte length.
  static constexpr std::size_t kMaxCountedString = 0xFFFF;
  // Opaque blobs are small bookkeeping records; anything larger is corruption.
  static constexpr std::int32_t kMaxOpaqueBytes = 1 << 20;

  virtual ~PmDBUtil();
  PmDBUtil(const PmDBUtil&) = delete;
  PmDBUtil& operator=(const PmDBUtil&) = delete;

  // The layout (1 or 2) that a ".dat" file of `db` names in its version word, after the
  // optional magic block; 0 when the file cannot be read or names neither.
  static int PeekLayout(const std::string& path, PmDatabase db);
  // The database's file in a user's data folder ("datebook/datebook.dat"), any case.
  static std::string UserFile(PmDatabase db, const std::string& userFolder);

  bool Load(const std::string& path);
  bool Load(PmByteSource& src);
  // The user's data folder plus "<sub-folder>/<file>" of this database.
  bool LoadByUser(const std::string& userFolder);
  bool SaveAs(const std::string& path);  // the path is stored as the file name
  bool Save(PmByteSink& sink) const;
  void Clear();

  PmDatabase Database() const { return db_; }
  int Layout() const { return layout_; }
  std::uint32_t ExpectedVersion() const { return VersionWord(db_, layout_); }
  bool Loaded() const { return loaded_; }  // set by the constructors that load
  const PmHeader& Header() const { return header_; }
  PmHeader& Header() { return header_; }
  const PmSchema& Schema() const { return schema_; }
  PmSchema& Schema() { return schema_; }
  // Null until a load has read the category block.
  const PmCategoryMgr* Categories() const { return categories_.get(); }
  PmCategoryMgr& EnsureCategories();
  bool CategoryText(std::int32_t id, std::string& out) const;
  const std::string& FileName() const { return currentFile_; }
  std::uint64_t CurrentPosition() const { return position_; }
  // What the last load kept, where it stopped early and why it failed.
  const CxLoadReport& Report() const { return report_; }
  // Layout-2 address books: whether the custom labels were found after the file name.
  bool AddressLabelsExpected() const { return addressLabels_; }
  virtual std::size_t RecordCount() const = 0;

  // Primitives shared by both layouts; each returns false on short or malformed data.
  static bool ReadCountedString(PmByteSource& src, std::string& out, std::size_t capacity);
  static void WriteCountedString(PmByteSink& sink, const std::string& text);
  static bool ReadIntegerField(PmByteSource& src, std::int32_t& out);
  bool ReadTextField(PmByteSource& src, std::string& out);
  static bool ReadOpaqueField(PmByteSource& src, PmOpaque& out);
  static bool ReadOpaqueBody(PmByteSource& src, PmOpaque& out);  // after the type code
  static bool ReadRealField(PmByteSource& src, double& out);
  bool ReadRepeatField(PmByteSource& src, PmRepeat& out);
  bool ReadAnyField(PmByteSource& src, PmAnyField& out);
  static void WriteIntegerField(PmByteSink& sink, std::uint16_t code, std::int32_t value);
  void WriteTextField(PmByteSink& sink, const std::string& text) const;
  static void WriteOpaqueField(PmByteSink& sink, std::uint16_t code, const PmOpaque& value);
  static void WriteRealField(PmByteSink& sink, double value);
  void WriteRepeatField(PmByteSink& sink, const PmRepeat& value) const;
  void WriteAnyField(PmByteSink& sink, const PmAnyField& field) const;

  // Log names: "Contacts", "Calendar", "Tasks", "Memos"; "address book", "datebook", ...
  const char* KindName() const;
  const char* ShortName() const;

 protected:
  PmDBUtil(PmDatabase db, int layout);
  void MarkLoaded(bool ok) { loaded_ = ok; }
  // The standard schema of this database and layout, as a new file is written.
  void SetStandardSchema(std::int32_t resourceId, std::vector<std::uint16_t> types);

  virtual void ClearRecords() = 0;
  virtual void ReserveRecords(std::size_t count) = 0;
  virtual std::size_t KnownFields() const = 0;  // the loader's fixed table
  // Decodes one record of fieldsPerRow fields and keeps it if the loader accepts it.
  virtual bool ReadRecord(PmByteSource& src, std::int32_t fieldsPerRow) = 0;
  virtual void WriteRecords(PmByteSink& sink) const = 0;
  std::string CategoryNameFor(std::int32_t value) const;

 private:
  friend class PmFileLayout;
  bool LoadTwice(PmByteSource& src);
  bool LoadOnce(PmByteSource& src);
  bool ReadMagicAndVersion(PmByteSource& src);
  bool ReadCategories(PmByteSource& src);
  bool ReadSchema(PmByteSource& src);
  bool ReadRecords(PmByteSource& src, const PmFileLayout& layout);
  void WriteCategories(PmByteSink& sink) const;
  void WriteSchema(PmByteSink& sink) const;

  PmDatabase db_;
  int layout_;
  bool loaded_ = false;
  PmHeader header_;
  PmSchema schema_;
  std::unique_ptr<PmCategoryMgr> categories_;
  PmRepeatReader repeats_;
  // Class numbers run per file, so each Save starts a fresh writer.
  mutable PmRepeatWriter repeatWriter_;
  // The integer before each text: Palm Desktop writes 1, converters 0; kept as the file has it.
  std::int32_t textTag_ = 1;
  bool addressLabels_ = true;
  bool versionMatched_ = false;
  bool textTagSeen_ = false;
  std::string currentFile_;
  std::uint64_t position_ = 0;
  CxLoadReport report_;
};

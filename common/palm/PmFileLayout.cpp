#include "palm/PmFileLayout.h"

#include <algorithm>

#include "misc/CxDebugUtil.h"

namespace {

constexpr std::size_t kFileNameCapacity = 260;
constexpr std::size_t kFileNameCapacityLayout1 = 256;  // the address book allows 260
constexpr std::size_t kLabelCapacity = 256;
constexpr std::size_t kAddressLabelCount = 9;
// Layout-1 address books before 4.1.2 carry four custom labels in at most 512 bytes.
constexpr std::size_t kLayout1LabelLines = 4;
constexpr std::size_t kLayout1LabelBytes = 512;
// Palm Desktop 4.1.4 follows the file name with 43 bytes in the date book, to-do list and memo pad.
constexpr std::size_t kLayout2Gap = 43;
// The address book carries its nine custom labels inside that run: 11 bytes, the labels, then the
// same 42-byte tail as the others. Unconfirmed: no layout-2 address book has been available.
constexpr std::size_t kAddressGapBefore = 11;
constexpr std::size_t kAddressGapAfter = 42;

bool ReadBlock(PmByteSource& src, std::vector<std::uint8_t>& out, std::size_t n) {
  out.assign(n, 0);
  return src.ReadBytes(out.data(), n);
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (auto b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

class PmLayout1 final : public PmFileLayout {
 public:
  int Number() const override { return 1; }

  bool ReadHeader(PmDBUtil& db, PmByteSource& src, PmHeader& header) const override {
    std::size_t nameCapacity =
        db.Database() == PmDatabase::kAddress ? kFileNameCapacity : kFileNameCapacityLayout1;
    if (!PmDBUtil::ReadCountedString(src, header.fileName, nameCapacity)) return false;
    if (db.Database() == PmDatabase::kAddress) return ReadLabels(src, header);
    std::size_t tableCapacity = db.Database() == PmDatabase::kDate ? 512 : 256;
    return PmDBUtil::ReadCountedString(src, header.tableString, tableCapacity);
  }

  void WriteHeader(const PmDBUtil&, PmByteSink& sink, const PmHeader& header) const override {
    PmDBUtil::WriteCountedString(sink, header.fileName);
    PmDBUtil::WriteCountedString(sink, header.tableString);
  }

  void InitHeader(PmDatabase, PmHeader& header) const override { header = PmHeader{}; }

  bool KeepsRecordsBeforeError() const override { return true; }

  void LogRecordCount(const PmDBUtil&, std::int32_t, std::int32_t records) const override {
    QM_LOG_INFO("Based on calculation, there are %d records in total.", records);
  }

 private:
  // The whole string is kept for writing back; the labels are its first four lines.
  static bool ReadLabels(PmByteSource& src, PmHeader& header) {
    QM_LOG_INFO("Start loading Palm Desktop address book custom label information.");
    if (!PmDBUtil::ReadCountedString(src, header.tableString, PmDBUtil::kMaxCountedString)) {
      QM_LOG_ERROR("Custom label content reading error.");
      return false;
    }
    header.labels.clear();
    std::string_view text(header.tableString);
    text = text.substr(0, kLayout1LabelBytes);
    while (!text.empty()) {
      auto end = text.find('\n');
      if (end == std::string_view::npos) break;  // an unterminated tail is not a label
      header.labels.push_back({std::string(text.substr(0, end)), 0});
      text.remove_prefix(end + 1);
      if (header.labels.size() == kLayout1LabelLines) {
        QM_LOG_INFO("For Palm Desktop ealier than v4.1.2, the max custom label is 4. Break now.");
        break;
      }
    }
    return true;
  }
};

class PmLayout2 final : public PmFileLayout {
 public:
  int Number() const override { return 2; }

  bool ReadHeader(PmDBUtil& db, PmByteSource& src, PmHeader& header) const override {
    if (!src.ReadBytes(header.reserved1.data(), header.reserved1.size())) {
      QM_LOG_ERROR("Failed to read reserved 1 field. Content=%s, Size=%d", "",
                   static_cast<int>(header.reserved1.size()));
      return false;
    }
    QM_LOG_INFO("Reserved 1 Field: %s",
                Hex({header.reserved1.begin(), header.reserved1.end()}).c_str());
    bool isAddress = db.Database() == PmDatabase::kAddress && db.AddressLabelsExpected();
    std::size_t gap = isAddress ? kAddressGapBefore : kLayout2Gap;
    header.labels.clear();
    header.reserved3.clear();
    if (!PmDBUtil::ReadCountedString(src, header.fileName, kFileNameCapacity) ||
        !ReadBlock(src, header.reserved2, gap)) {
      QM_LOG_ERROR("Failed to read reserved 2 field. Content=%s, Size=%d", "",
                   static_cast<int>(gap));
      QM_LOG_ERROR("Failed to load database file descriptions.");
      return false;
    }
    if (!isAddress) return true;
    for (std::size_t i = 0; i < kAddressLabelCount; ++i) {
      PmCustomLabel label;
      if (!PmDBUtil::ReadCountedString(src, label.text, kLabelCapacity)) {
        QM_LOG_ERROR("Failed to load custom labels information.");
        return false;
      }
      label.value = src.ReadI32();
      header.labels.push_back(std::move(label));
    }
    if (!ReadBlock(src, header.reserved3, kAddressGapAfter)) {
      QM_LOG_ERROR("Failed to read reserved 3 field. Content=%s, Size=%d", "",
                   static_cast<int>(kAddressGapAfter));
      QM_LOG_ERROR("Failed to load custom labels information.");
      return false;
    }
    return true;
  }

  void WriteHeader(const PmDBUtil& db, PmByteSink& sink, const PmHeader& header) const override {
    sink.WriteBytes(header.reserved1.data(), header.reserved1.size());
    PmDBUtil::WriteCountedString(sink, header.fileName);
    // An address book read without labels in its header is written back the same way.
    bool isAddress =
        db.Database() == PmDatabase::kAddress && header.reserved2.size() != kLayout2Gap;
    WriteBlock(sink, header.reserved2, isAddress ? kAddressGapBefore : kLayout2Gap);
    if (!isAddress) return;
    for (std::size_t i = 0; i < kAddressLabelCount; ++i) {
      PmDBUtil::WriteCountedString(sink, i < header.labels.size() ? header.labels[i].text : "");
      sink.WriteI32(0);
    }
    WriteBlock(sink, header.reserved3, kAddressGapAfter);
  }

  void InitHeader(PmDatabase db, PmHeader& header) const override {
    header = PmHeader{};
    header.hasMagic = true;
    bool isAddress = db == PmDatabase::kAddress;
    header.reserved2.assign(isAddress ? kAddressGapBefore : kLayout2Gap, 0);
    if (isAddress) header.reserved3.assign(kAddressGapAfter, 0);
    if (isAddress) header.reserved1[12] = 1;
    header.reserved1[13] = 16;
  }

  bool KeepsRecordsBeforeError() const override { return false; }

  void LogRecordCount(const PmDBUtil&, std::int32_t total, std::int32_t records) const override {
    QM_LOG_INFO("Total Fields: %d", total);
    QM_LOG_INFO("Calculated Record Count: %d", records);
  }

 private:
  // Exactly n bytes: what was read, padded with zeros for a header built in memory.
  static void WriteBlock(PmByteSink& sink, const std::vector<std::uint8_t>& block, std::size_t n) {
    std::vector<std::uint8_t> bytes(n, 0);
    std::copy_n(block.begin(), std::min(n, block.size()), bytes.begin());
    sink.WriteBytes(bytes.data(), bytes.size());
  }
};

const PmLayout1 kLayout1;
const PmLayout2 kLayout2;

}  // namespace

const PmFileLayout* PmFileLayout::ForNumber(int layout) {
  if (layout == 1) return &kLayout1;
  if (layout == 2) return &kLayout2;
  return nullptr;
}

const PmFileLayout* PmFileLayout::ForVersion(std::uint32_t version) {
  if ((version & 0xFF) != 0) return nullptr;
  return ForNumber(static_cast<int>((version >> 8) & 0xFF));
}

#pragma once

#include <array>
#include <span>

#include "palm/PmDBEx2Util.h"

struct PmAddrEx2Address {
  FixedText<256> street;
  FixedText<32> city;
  FixedText<32> state;
  FixedText<32> zip;
  FixedText<32> country;
};

// A row of table "Main" of "Address.mdb" (95 columns), values as stored.
struct PmAddrEx2Record : PmEx2Head {
  static constexpr std::size_t kPhones = 7;
  // Phone labels 0 to 7: work, home, fax, other, e-mail, main, pager, mobile.
  static constexpr std::size_t kLabels = 8;

  FixedText<2048> note;
  FixedText<32> prefix;
  FixedText<64> firstName;
  FixedText<64> middleName;
  FixedText<64> lastName;
  FixedText<32> suffix;
  FixedText<64> nickName;
  std::int32_t anniversary = 0;  // raw column value; its unit is not known
  std::int32_t birthday = 0;     // raw column value; its unit is not known
  FixedText<128> profession;
  FixedText<128> company;
  FixedText<128> jobTitle;
  FixedText<64> assistantName;
  FixedText<64> assistantPhone;
  PmAddrEx2Address work;
  PmAddrEx2Address home;
  PmAddrEx2Address other;
  // "Work Phone" to "Other Phone"; labelled by phoneLabel.
  std::array<FixedText<128>, kPhones> phone;
  // "Other Fax", "Other Mobile", "Work E-mail", "E-mail 1" to "E-mail 3", "Pager": no label.
  std::array<FixedText<128>, 7> morePhone;
  std::array<FixedText<256>, 14> custom;  // "Custom 1" to "Custom 14"
  std::int32_t primaryContact = 0;
  std::array<std::int32_t, kPhones> phoneLabel{};
  FixedText<64> firstYomi;
  FixedText<64> lastYomi;
  FixedText<64> companyYomi;
  std::array<FixedText<128>, 2> chat;
  std::array<std::int32_t, 2> chatLabel{};
  FixedText<256> website;
  bool birthdayAlarmSet = false;
  std::int32_t birthdayAlarmAdvance = 0;
  std::int32_t avatar = 0;
  std::array<std::int32_t, 3> addressLabel{};
  bool anniversaryAlarmSet = false;
  std::int32_t anniversaryAlarmAdvance = 0;
  FixedText<128> englishName;
  FixedText<256> pictureUrl;
  FixedText<256> pictureFilename;
  FixedText<32> pictureMimeType;
  FixedText<32> pictureSyncCounter;
  FixedText<256> ringtoneUrl;
  FixedText<256> ringtoneFilename;
  FixedText<32> ringtoneMimeType;
  FixedText<32> ringtoneSyncCounter;

  // Filled after loading: each non-empty phone slot under its label (a later slot wins; labels
  // outside 0 to 7 count as work).
  std::array<FixedText<128>, kLabels> phoneByLabel;

  static std::span<const PmEx2Column<PmAddrEx2Record>> Columns();
};

// One entry of the 6.x contact field table that the custom field map offers.
struct PmAddrEx2Field {
  static constexpr std::int32_t kText = 1;
  static constexpr std::int32_t kIntegerDate = 5;

  std::int32_t id;  // from 1
  const char* label;
  std::int32_t type;
  std::int32_t size;  // capacity in bytes, terminator included
};

// "Address.mdb" of Palm Desktop 6.x.
class PmAddrEx2Util final : public PmEx2Loader<PmAddrEx2Record> {
 public:
  PmAddrEx2Util() : PmEx2Loader(PmDbKind::kContacts) {}

  // The 54 entries in ID order.
  static std::span<const PmAddrEx2Field> FieldTable();
  static const PmAddrEx2Field* FieldById(std::int32_t id);
  // The text of a text entry; empty for integer entries and unknown IDs. A phone (or messaging)
  // entry reads the first slot carrying its label (or kind); when none does, the first empty
  // slot takes that label and reads empty, so that a later write finds it.
  static std::string FieldText(PmAddrEx2Record& rec, std::int32_t id);

 protected:
  void PostProcess(PmAddrEx2Record& rec) override;
};

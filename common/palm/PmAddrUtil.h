#pragma once

#include <array>
#include <span>
#include <string>

#include "palm/PmRecordHeads.h"

// Phone labels beside each phone field.
enum PmPhoneLabel : std::int32_t {
  kPmPhoneWork = 0,
  kPmPhoneHome = 1,
  kPmPhoneFax = 2,
  kPmPhoneOther = 3,
  kPmPhoneEmail = 4,
  kPmPhoneMain = 5,
  kPmPhonePager = 6,
  kPmPhoneMobile = 7,
};

// A layout-1 address record (30 fields).
struct PmAddrRecord : PmHead1 {
  static constexpr std::size_t kPhones = 5;
  static constexpr std::size_t kCustoms = 4;

  std::string lastName;   // capacity 32
  std::string firstName;  // capacity 32
  std::string title;      // capacity 32
  std::string company;    // capacity 256
  std::array<std::int32_t, kPhones> phoneLabel{};
  std::array<std::string, kPhones> phone;  // capacity 32 each
  std::string street;                      // capacity 256
  std::string city;
  std::string state;
  std::string zip;
  std::string country;
  std::string note;  // capacity 8192
  std::int32_t isPrivate = 0;
  std::int32_t categoryId = 0;
  std::array<std::string, kCustoms> custom;  // capacity 64 each
  std::int32_t primaryContact = 0;           // a phone label

  static std::span<const PmFieldSpec<PmAddrRecord>> Fields();
  friend bool operator==(const PmAddrRecord&, const PmAddrRecord&) = default;
};

// "address.dat" of Palm Desktop before 4.1.2, and every address archive.
class PmAddrUtil final : public PmLoader<PmAddrRecord> {
 public:
  PmAddrUtil();
  explicit PmAddrUtil(const std::string& path);
};

#pragma once

#include <array>
#include <span>
#include <string>

#include "palm/PmAddrUtil.h"
#include "palm/PmRecordHeads.h"

struct PmPostalAddress {
  std::int32_t kind = 0;  // the integer stored before each address
  std::string street;     // capacity 256
  std::string city;       // capacity 32 (as the rest)
  std::string state;
  std::string zip;
  std::string country;

  friend bool operator==(const PmPostalAddress&, const PmPostalAddress&) = default;
};

// A layout-2 address record (73 fields).
struct PmAddrExRecord : PmHead2 {
  static constexpr std::size_t kPhones = 7;
  static constexpr std::size_t kCustoms = 9;

  std::string lastName;
  std::string firstName;
  std::string title;
  std::string company;  // capacity 256
  std::int32_t primaryContact = 0;
  std::string note;  // capacity 2048
  std::array<std::string, kPhones> phone;
  std::array<std::int32_t, kPhones> phoneLabel{};
  std::array<std::string, kCustoms> custom;  // capacity 256 each
  PmPostalAddress work;
  PmPostalAddress home;
  PmPostalAddress other;
  std::array<std::string, 2> messaging;
  std::array<std::int32_t, 2> messagingKind{};  // 1 AIM, 2 MSN, 3 Yahoo, 4 AIM, 5 other
  std::string homePage;                         // capacity 256
  double birthday = 0.0;
  std::int32_t field66 = 0;
  std::int32_t field67 = 0;
  std::int32_t field68 = 0;
  std::array<std::string, 4> text69;

  static std::span<const PmFieldSpec<PmAddrExRecord>> Fields();
  friend bool operator==(const PmAddrExRecord&, const PmAddrExRecord&) = default;
};

// "address.dat" of Palm Desktop 4.1.2 and later.
class PmAddrExUtil final : public PmLoader<PmAddrExRecord> {
 public:
  PmAddrExUtil();
  explicit PmAddrExUtil(const std::string& path);
};

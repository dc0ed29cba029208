#pragma once

#include <array>

#include "misc/CommMgr.h"
#include "misc/CommonContact.h"

struct ContactMatchTraits {
  using Record = CommonContact;
  static constexpr std::array<std::uint32_t, 3> kKeys = {kFieldFirstName, kFieldLastName,
                                                         kFieldEmail1};
  static constexpr std::array<std::uint32_t, 24> kCompare = {28, 29, 30, 41, 38, 39, 69, 71,
                                                             13, 11, 12, 10, 9,  20, 18, 19,
                                                             17, 16, 27, 25, 26, 24, 23, 48};
  static MatchValue Extract(const CommonContact& c, std::uint32_t code);
  static void Update(CommonContact& stored, const CommonContact& incoming);
};

class CommAddrMgr : public CommMgr<ContactMatchTraits> {};

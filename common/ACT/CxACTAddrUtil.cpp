#include "ACT/CxACTAddrUtil.h"

#include "ACT/ACTConvert.h"

CxACTAddrUtil::CxACTAddrUtil() {
  SetDataFileName("ACTAddr.dat");
  SetParamFileName("ACTAddrParam.dat");
  SetErrorFileName("ACTAddrErr.dat");
  SetStatusFileName("ACTAddrStatus.dat");
  SetDataIniFileName("ACTAddr.ini");
  SetProgramName("Korvane.ACTAddrUtil.exe");
}

bool CxACTAddrUtil::SetCustomField(int slot, std::uint32_t id) {
  return SetACTCustomField(slot, id);
}

const HelperTexts* CxACTAddrUtil::Texts() const {
  static const HelperTexts t{"ACT! Contacts", "Contact", "ACT! Contacts"};
  return &t;
}

bool CxACTAddrUtil::ReadRecord(CxFile& file, ACTContactRecord& record) {
  return ReadACTContact(file, record);
}

void CxACTAddrUtil::WriteRecord(CxFile& file, const ACTContactRecord& record) {
  WriteACTContact(file, record);
}

void CxACTAddrUtil::ToCommon(const ACTContactRecord& native, CommonContact& common) {
  ACTToCommon(native, common);
}

void CxACTAddrUtil::FromCommon(const CommonContact& common, ACTContactRecord& native,
                               HelperAction action) {
  CommonToACT(common, native);
  native.ChangeMark = kACTChanged;
  native.Action = action;
}

#include "google/CxGAddrUtil.h"

CxGAddrUtil::CxGAddrUtil() {
  SetDataFileName("GAddr.dat");
  SetParamFileName("GAddrParam.dat");
  SetErrorFileName("GAddrErr.dat");
  SetStatusFileName("GAddrStatus.dat");
  SetDataIniFileName("GAddrData.ini");
  SetProgramName("GAddrUtil.exe");
}

bool CxGAddrUtil::ToCommonRecord(const GoogleContact* google, CommonContact* common) {
  if (!google || !common) {
    QM_LOG_ERROR("Invalid parameter to convert Google Contact record to Common Contact record.");
    return false;
  }
  GoogleToCommon(*google, *common);
  return true;
}

bool CxGAddrUtil::FromCommonRecord(const CommonContact* common, GoogleContact* google,
                                   HelperAction action) {
  if (!google || !common) {
    QM_LOG_ERROR("Invalid parameter to convert Common Contact record to Google Contact record.");
    return false;
  }
  CommonToGoogle(*common, *google);
  google->ChangeState = kGChanged;
  google->Action = action;
  return true;
}

const HelperTexts* CxGAddrUtil::Texts() const {
  static const HelperTexts t{"Google Contacts", "Contact", "Contacts"};
  return &t;
}

bool CxGAddrUtil::ReadRecord(CxFile& file, GoogleContact& record) {
  return ReadGoogleContact(file, record) && !file.Failed();
}

void CxGAddrUtil::WriteRecord(CxFile& file, const GoogleContact& record) {
  WriteGoogleContact(file, record);
}

void CxGAddrUtil::ToCommon(const GoogleContact& native, CommonContact& common) {
  ToCommonRecord(&native, &common);
}

void CxGAddrUtil::FromCommon(const CommonContact& common, GoogleContact& native,
                             HelperAction action) {
  FromCommonRecord(&common, &native, action);
}

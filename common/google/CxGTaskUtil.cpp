#include "google/CxGTaskUtil.h"

CxGTaskUtil::CxGTaskUtil() {
  SetDataFileName("GTask.dat");
  SetParamFileName("GTaskParam.dat");
  SetDataIniFileName("GTaskData.ini");
  SetProgramName("GTaskUtil.exe");
}

bool CxGTaskUtil::ReadNative(CxFile& file, GoogleTask& record) {
  return ReadGoogleTask(file, record);
}

void CxGTaskUtil::WriteNative(CxFile& file, const GoogleTask& record) {
  WriteGoogleTask(file, record);
}

void CxGTaskUtil::ToCommon(const GoogleTask& native, CommonTask& common) {
  GoogleToCommon(native, common);
}

#include "outlook/OlBaseUtil.h"

#include <cstdlib>
#include <cstring>

#include "misc/CxDebugUtil.h"
#include "misc/WinUtil.h"

namespace {

// The connection, one per process; used from the one thread that loads or submits.
struct OlConnection {
  bool started = false;
  int useCount = 0;
  IUnknown* application = nullptr;
  std::unique_ptr<CDispCmd> applicationDisp;
  std::unique_ptr<CDispCmd> nameSpaceDisp;
  int versionClass = kOlVersionNone;
};

OlConnection& Connection() {
  static OlConnection c;
  return c;
}

void EndConnection(OlConnection& c) {
  c.nameSpaceDisp.reset();
  c.applicationDisp.reset();
  if (c.application) c.application->Release();
  c.application = nullptr;
  c.started = false;
}

unsigned Code(OlResult hr) {
  return static_cast<unsigned>(hr);
}

}  // namespace

int OlVersionClassOf(const char* versionText) {
  if (!versionText || !*versionText) return kOlVersionNone;
  const char* dot = std::strchr(versionText, '.');
  std::string head = dot ? std::string(versionText, dot) : std::string(versionText);
  if (head.empty() || head.find_first_not_of("0123456789") != std::string::npos)
    return kOlVersionNone;
  long major = std::strtol(head.c_str(), nullptr, 10);
  if (major <= 9) return kOlVersion9;
  switch (major) {
    case 10:
      return kOlVersion10;
    case 11:
      return kOlVersion11;
    case 12:
      return kOlVersion12;
    case 14:
      return kOlVersion14;
    default:
      return kOlVersionOther;
  }
}

int OlBaseUtil::VersionClass() {
  return Connection().versionClass;
}
int OlBaseUtil::UseCount() {
  return Connection().useCount;
}
bool OlBaseUtil::Started() {
  return Connection().started;
}

OlBaseUtil::~OlBaseUtil() {
  // The derived destructors have closed; this only covers a connector that never did.
  if (holds_) OlBaseUtil::Close();
}

bool OlBaseUtil::Load() {
  Clear();
  return true;
}

bool OlBaseUtil::Open() {
  OlConnection& c = Connection();
  if (!holds_) {
    ++c.useCount;
    holds_ = true;
  }
  if (c.started) {
    m_pApplication = c.applicationDisp.get();
    m_pNameSpace = c.nameSpaceDisp.get();
    m_pUnknown = c.application;
    connected_ = true;
    return true;
  }
  // Read at each start: the Outlook that answers is the one installed now.
  char version[64];
  c.versionClass =
      GetOutlookVersion(version, sizeof version) ? OlVersionClassOf(version) : kOlVersionNone;
  QM_LOG_INFO("Outlook automation started.");

  auto fail = [this, &c](const char* format, OlResult hr) {
    CxDebugUtil::Instance().Report(kLogError, __FILE__, __LINE__, format, Code(hr));
    EndConnection(c);  // what was made so far; the next Open starts again
    Close();
    return false;
  };
  CLSID clsid{};
  OlResult hr = OlClsidFromProgId("Outlook.Application", clsid);
  if (OlFailed(hr)) return fail("Can not get the CLSID of Outlook.Application, hr=0x%08x", hr);
  QM_LOG_INFO("Get Outlook.Application CLSID succeeded.");

  IUnknown* unknown = nullptr;
  hr = OlCreateInstance(clsid, unknown);
  if (OlFailed(hr) || !unknown) return fail("Failed to execute CoCreateInstance, hr=0x%08x", hr);
  QM_LOG_INFO("CoCreateInstance succeeded.");
  c.application = unknown;

  hr = OlRun(unknown);
  if (OlFailed(hr)) return fail("Failed to execute OleRun, hr=0x%08x", hr);
  QM_LOG_INFO("Microsoft Outlook started successfully.");

  IDispatch* dispatch = nullptr;
  hr = OlQueryDispatch(unknown, dispatch);
  if (OlFailed(hr) || !dispatch)
    return fail("Failed to query IDispatch interface of Outlook App, hr=0x%08x", hr);
  QM_LOG_INFO("Got Outlook IDispatch interface successfully.");
  c.applicationDisp = std::make_unique<CDispCmd>(dispatch);
  dispatch->Release();  // the dispatcher holds its own reference

  auto nameSpace = OlCallObject(*c.applicationDisp, "GetNameSpace", {OlArg::Text("MAPI")}, &hr);
  if (!nameSpace)
    return fail("Failed to call Outlook.Application GetNameSpace method, hr=0x%08x", hr);
  QM_LOG_INFO("Get Outlook MAPI namespace object successfully.");
  c.nameSpaceDisp = std::move(nameSpace);
  c.started = true;
  m_pApplication = c.applicationDisp.get();
  m_pNameSpace = c.nameSpaceDisp.get();
  m_pUnknown = c.application;
  connected_ = true;
  QM_LOG_INFO("Outlook Automation Succeeded.");
  return true;
}

void OlBaseUtil::Close() {
  m_pApplication = nullptr;
  m_pNameSpace = nullptr;
  m_pUnknown = nullptr;
  connected_ = false;
  if (!holds_) return;
  holds_ = false;
  OlConnection& c = Connection();
  if (c.useCount == 0) return;
  if (--c.useCount > 0) return;
  EndConnection(c);
}

std::unique_ptr<CDispCmd> OlBaseUtil::OpenDefaultFolder(int folderId) {
  if (!OlBaseUtil::Open()) return nullptr;
  OlResult hr = 0;
  auto folder = OlCallObject(*m_pNameSpace, "GetDefaultFolder", {OlArg::Long(folderId)}, &hr);
  if (!folder) {
    QM_LOG_ERROR("Failed to call \"GetDefaultFolder\" method. hr=0x%x", Code(hr));
    OlBaseUtil::Close();
  }
  return folder;
}

bool OlBaseUtil::ForEachItem(CDispCmd& folder, const OlFolderTexts& texts, std::string& name,
                             std::string* storeId,
                             const std::function<void(CDispCmd& item)>& each) {
  FixedText<32> folderName;
  OlResult hr = OlGetText(folder, "Name", RefOf(folderName));
  if (hr != 0)
    CxDebugUtil::Instance().Report(kLogError, __FILE__, __LINE__, texts.nameFailed, Code(hr));
  else
    CxDebugUtil::Instance().Report(kLogInfo, __FILE__, __LINE__, texts.nameGot, folderName.c_str());
  name = folderName.str();
  if (storeId && texts.storeFailed) {
    FixedText<1024> store;
    hr = OlGetText(folder, "StoreID", RefOf(store));
    if (hr != 0)
      CxDebugUtil::Instance().Report(kLogError, __FILE__, __LINE__, texts.storeFailed, Code(hr));
    else
      CxDebugUtil::Instance().Report(kLogInfo, __FILE__, __LINE__, texts.storeGot, store.c_str());
    *storeId = store.str();
  }
  auto items = OlGetObject(folder, "Items", &hr);
  if (!items) {
    CxDebugUtil::Instance().Report(kLogError, __FILE__, __LINE__, texts.itemsFailed, Code(hr));
    return false;
  }
  for (auto item = OlCallObject(*items, "GetFirst", {}, &hr); item;
       item = OlCallObject(*items, "GetNext", {}, &hr))
    each(*item);
  return true;
}

std::unique_ptr<CDispCmd> OlBaseUtil::ItemAt(CDispCmd& folder, int position,
                                             const char* itemsFailed, const char* itemFailed) {
  OlResult hr = 0;
  auto items = OlGetObject(folder, "Items", &hr);
  if (!items) {
    CxDebugUtil::Instance().Report(kLogError, __FILE__, __LINE__, itemsFailed, Code(hr));
    return nullptr;
  }
  auto item = OlCallObject(*items, "Item", {OlArg::Long(position + 1)}, &hr);
  if (!item)
    CxDebugUtil::Instance().Report(kLogError, __FILE__, __LINE__, itemFailed, position, Code(hr));
  return item;
}

std::unique_ptr<CDispCmd> OlBaseUtil::LoadedItemAt(CDispCmd& folder, int position,
                                                   std::string_view entryId, const OlItemRef& kept,
                                                   const char* itemsFailed,
                                                   const char* itemFailed) {
  auto item = ItemAt(folder, position, itemsFailed, itemFailed);
  if (!item || entryId.empty()) return item;
  FixedText<1024> found;
  OlGetText(*item, "EntryID", RefOf(found));
  if (found.view() == entryId) return item;
  QM_LOG_ERROR("The item at position %d is not the one loaded there; the loaded item is updated.",
               position);
  return kept ? std::make_unique<CDispCmd>(kept.get()) : nullptr;
}

std::unique_ptr<CDispCmd> OlBaseUtil::NewItem(CDispCmd& folder, int itemClass,
                                              const char* itemsFailed, const char* addFailed) {
  OlResult hr = 0;
  auto items = OlGetObject(folder, "Items", &hr);
  if (!items) {
    CxDebugUtil::Instance().Report(kLogError, __FILE__, __LINE__, itemsFailed, Code(hr));
    return nullptr;
  }
  auto item = OlCallObject(*items, "Add", {OlArg::Long(itemClass)}, &hr);
  if (!item) CxDebugUtil::Instance().Report(kLogError, __FILE__, __LINE__, addFailed, Code(hr));
  return item;
}

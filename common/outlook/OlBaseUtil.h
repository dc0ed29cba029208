#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "outlook/OlAutomation.h"
#include "outlook/OlItemRef.h"

// Outlook version classes: which reminder properties an appointment uses.
enum OlVersionClass : int {
  kOlVersionNone = 0,  // no version found
  kOlVersion9 = 1,     // 9 or lower
  kOlVersion10 = 2,
  kOlVersion11 = 3,
  kOlVersion12 = 4,
  kOlVersion14 = 5,
  kOlVersionOther = 6,  // 13, 15 and higher
};

// The class of a version text ("12.0.6425.1000"): its number before the first '.'. A text without
// a number gives kOlVersionNone.
int OlVersionClassOf(const char* versionText);

// What a connector's folder load writes to the log; each names its folder its own way.
struct OlFolderTexts {
  const char* nameFailed;   // "%x": the code
  const char* nameGot;      // "%s": the name
  const char* storeFailed;  // null: the store id is not read
  const char* storeGot;
  const char* itemsFailed;  // "%x" (when present): the code
};

// The base of the four Outlook connectors and the one Outlook connection they share: Outlook
// started through automation and its MAPI namespace, kept while any connector holds it. A
// connector holds at most one use of it, so a connector that closes twice cannot end another's.
class OlBaseUtil {
 public:
  virtual ~OlBaseUtil();
  OlBaseUtil(const OlBaseUtil&) = delete;
  OlBaseUtil& operator=(const OlBaseUtil&) = delete;

  virtual bool Load();
  virtual void Clear() {}
  virtual void Init() {}
  virtual void Uninit() {}
  // Starts or joins the connection.
  virtual bool Open();
  // Leaves the connection; the last one out ends it (Outlook is not told to quit).
  virtual void Close();

  bool Connected() const { return connected_; }

  // Set when the connection starts; 0 while it never did.
  static int VersionClass();
  // Open calls not matched by Close, over every connector.
  static int UseCount();
  static bool Started();

 protected:
  OlBaseUtil() = default;

  // Open, then the namespace's default folder of that id (olFolderContacts ...). Null, logged
  // and closed again when either fails.
  std::unique_ptr<CDispCmd> OpenDefaultFolder(int folderId);
  // Reads the folder's name (and store id), then calls `each` for every item of its "Items" in
  // the collection's order. False when there are no "Items".
  bool ForEachItem(CDispCmd& folder, const OlFolderTexts& texts, std::string& name,
                   std::string* storeId, const std::function<void(CDispCmd& item)>& each);
  // The item at a load position (Items.Item(position + 1)), or a new item of a class
  // (Items.Add(itemClass)); null after logging with the given formats.
  std::unique_ptr<CDispCmd> ItemAt(CDispCmd& folder, int position, const char* itemsFailed,
                                   const char* itemFailed);
  // ItemAt, checked against the entry id the record was loaded with: when the folder's order
  // has changed since the load, the item kept with the record is taken instead, so that an
  // update never lands on another item.
  std::unique_ptr<CDispCmd> LoadedItemAt(CDispCmd& folder, int position, std::string_view entryId,
                                         const OlItemRef& kept, const char* itemsFailed,
                                         const char* itemFailed);
  std::unique_ptr<CDispCmd> NewItem(CDispCmd& folder, int itemClass, const char* itemsFailed,
                                    const char* addFailed);

  // Copies of the connection's references; the connection owns them.
  CDispCmd* m_pApplication = nullptr;
  CDispCmd* m_pNameSpace = nullptr;
  IUnknown* m_pUnknown = nullptr;

 private:
  bool connected_ = false;
  bool holds_ = false;  // this connector counts in the use count
};

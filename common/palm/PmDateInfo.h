#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "misc/CommDateMgr.h"
#include "palm/PmCodePage.h"
#include "palm/PmDateEx2Util.h"
#include "palm/PmDateExUtil.h"
#include "palm/PmDateUtil.h"
#include "palm/PmEx2Port.h"
#include "palm/PmItem.h"
#include "palm/PmSourceBase.h"
#include "palm/PmSourceLoaders.h"

using PmDateItem = PmItem<CommonEvent, PmDateRecord, PmDateExRecord, PmDateEx2Record>;

// The Palm Desktop calendar source; mirrors PmAddrInfo.
class PmDateInfo : private PmSourceLoaders<PmDateUtil, PmDateExUtil, PmDateEx2Record> {
 public:
  explicit PmDateInfo(std::uint32_t version);
  PmDateInfo();  // the installed version
  PmDateInfo(const PmDateInfo&) = delete;
  PmDateInfo& operator=(const PmDateInfo&) = delete;
  ~PmDateInfo();

  using PmSourceLoaders<PmDateUtil, PmDateExUtil, PmDateEx2Record>::SetEx2Factory;

  int Generation() const { return generation_; }
  bool LoadByUser(std::int32_t userId);
  bool LoadByFolder(const std::string& userFolder);
  bool LoadByFile(const std::string& path);
  int CheckFileType(const std::string& path);
  void SetCodePage(std::uint32_t codePage) { codePage_ = PmCodePage(codePage); }
  void Clear();

  int LoadedLayout() const { return loaded_; }
  CommDateMgr& Manager() { return manager_; }
  PmDateItem* First();
  PmDateItem* Next();
  std::size_t ItemCount() const { return items_.size(); }

  const PmDateUtil& Layout1Loader() const { return layout1_; }
  const PmDateExUtil& Layout2Loader() const { return layout2_; }

 private:
  void Build();
  template <class Rec>
  void Add(int layout, const Rec& rec);
  void Convert(const PmDateRecord& r, CommonEvent& e);
  void Convert(const PmDateExRecord& r, CommonEvent& e);
  void Convert(const PmDateEx2Record& r, CommonEvent& e);

  int generation_;
  int loaded_ = kPmLayoutNone;
  PmItemList<PmDateItem> items_;
  std::size_t unplaced_ = 0;  // records the manager could not take, logged once per load
  CommDateMgr manager_;
  PmCodePage codePage_;
  PmLocalClock clock_;
  std::string scratch_;
};

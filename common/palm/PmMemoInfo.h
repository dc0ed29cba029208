#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "misc/CommNoteMgr.h"
#include "palm/PmCodePage.h"
#include "palm/PmEx2Port.h"
#include "palm/PmItem.h"
#include "palm/PmMemoEx2Util.h"
#include "palm/PmMemoExUtil.h"
#include "palm/PmMemoUtil.h"
#include "palm/PmSourceBase.h"
#include "palm/PmSourceLoaders.h"

using PmMemoItem = PmItem<CommonNote, PmMemoRecord, PmMemoExRecord, PmMemoEx2Record>;

// The Palm Desktop note source; mirrors PmDateInfo.
class PmMemoInfo : private PmSourceLoaders<PmMemoUtil, PmMemoExUtil, PmMemoEx2Record> {
 public:
  explicit PmMemoInfo(std::uint32_t version);
  PmMemoInfo();  // the installed version
  PmMemoInfo(const PmMemoInfo&) = delete;
  PmMemoInfo& operator=(const PmMemoInfo&) = delete;
  ~PmMemoInfo();

  using PmSourceLoaders<PmMemoUtil, PmMemoExUtil, PmMemoEx2Record>::SetEx2Factory;

  int Generation() const { return generation_; }
  bool LoadByUser(std::int32_t userId);
  bool LoadByFolder(const std::string& userFolder);
  bool LoadByFile(const std::string& path);
  int CheckFileType(const std::string& path);
  void SetCodePage(std::uint32_t codePage) { codePage_ = PmCodePage(codePage); }
  void Clear();

  int LoadedLayout() const { return loaded_; }
  CommNoteMgr& Manager() { return manager_; }
  PmMemoItem* First();
  PmMemoItem* Next();
  std::size_t ItemCount() const { return items_.size(); }

  const PmMemoUtil& Layout1Loader() const { return layout1_; }
  const PmMemoExUtil& Layout2Loader() const { return layout2_; }

 private:
  void Build();
  template <class Rec>
  void Add(int layout, const Rec& rec);
  void Convert(const PmMemoRecord& r, CommonNote& e);
  void Convert(const PmMemoExRecord& r, CommonNote& e);
  void Convert(const PmMemoEx2Record& r, CommonNote& e);

  int generation_;
  int loaded_ = kPmLayoutNone;
  PmItemList<PmMemoItem> items_;
  std::size_t unplaced_ = 0;  // records the manager could not take, logged once per load
  CommNoteMgr manager_;
  PmCodePage codePage_;
};

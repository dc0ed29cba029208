#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "misc/CommTaskMgr.h"
#include "palm/PmCodePage.h"
#include "palm/PmEx2Port.h"
#include "palm/PmItem.h"
#include "palm/PmSourceBase.h"
#include "palm/PmSourceLoaders.h"
#include "palm/PmTodoEx2Util.h"
#include "palm/PmTodoExUtil.h"
#include "palm/PmTodoUtil.h"

using PmTodoItem = PmItem<CommonTask, PmTodoRecord, PmTodoExRecord, PmTodoEx2Record>;

// The Palm Desktop task source; mirrors PmDateInfo.
class PmTodoInfo : private PmSourceLoaders<PmTodoUtil, PmTodoExUtil, PmTodoEx2Record> {
 public:
  explicit PmTodoInfo(std::uint32_t version);
  PmTodoInfo();  // the installed version
  PmTodoInfo(const PmTodoInfo&) = delete;
  PmTodoInfo& operator=(const PmTodoInfo&) = delete;
  ~PmTodoInfo();

  using PmSourceLoaders<PmTodoUtil, PmTodoExUtil, PmTodoEx2Record>::SetEx2Factory;

  int Generation() const { return generation_; }
  bool LoadByUser(std::int32_t userId);
  bool LoadByFolder(const std::string& userFolder);
  bool LoadByFile(const std::string& path);
  int CheckFileType(const std::string& path);
  void SetCodePage(std::uint32_t codePage) { codePage_ = PmCodePage(codePage); }
  void Clear();

  int LoadedLayout() const { return loaded_; }
  CommTaskMgr& Manager() { return manager_; }
  PmTodoItem* First();
  PmTodoItem* Next();
  std::size_t ItemCount() const { return items_.size(); }

  const PmTodoUtil& Layout1Loader() const { return layout1_; }
  const PmTodoExUtil& Layout2Loader() const { return layout2_; }

 private:
  void Build();
  template <class Rec>
  void Add(int layout, const Rec& rec);
  void Convert(const PmTodoRecord& r, CommonTask& e);
  void Convert(const PmTodoExRecord& r, CommonTask& e);
  void Convert(const PmTodoEx2Record& r, CommonTask& e);

  int generation_;
  int loaded_ = kPmLayoutNone;
  PmItemList<PmTodoItem> items_;
  std::size_t unplaced_ = 0;  // records the manager could not take, logged once per load
  CommTaskMgr manager_;
  PmCodePage codePage_;
  PmLocalClock clock_;
  std::string scratch_;
};

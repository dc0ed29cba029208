#pragma once

#include <cstdint>

#include "misc/FixedText.h"
#include "misc/NativeAttachment.h"
#include "misc/WinTypes.h"

class CommonNote {
 public:
  std::uint32_t Color = 0;
  std::uint32_t Reserved = 0;
  FixedText<256> Title;
  FixedText<20480> Body;
  FixedText<256> Categories;
  OleDate CreationTime;
  OleDate LastModificationTime;
  std::uint32_t SourceType = 0;
  std::uint32_t Status = 0;
  FixedText<32> ItemId;  // the source keeps at most 30 characters here
  NativeAttachment NativeRecord;
  const CommonNote* MatchedRecord = nullptr;

  template <class Self, class V>
  static void VisitFields(Self& n, V&& v) {
    v("Color", n.Color);
    v("Reserved", n.Reserved);
    v("Title", n.Title);
    v("Body", n.Body);
    v("Categories", n.Categories);
    v("CreationTime", n.CreationTime);
    v("LastModificationTime", n.LastModificationTime);
    v("SourceType", n.SourceType);
    v("Status", n.Status);
    v("ItemId", n.ItemId);
  }
};

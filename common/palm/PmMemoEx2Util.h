#pragma once

#include <span>

#include "palm/PmDBEx2Util.h"

// A row of table "Main" of "MemoPad.mdb" (6 columns), values as stored.
struct PmMemoEx2Record : PmEx2Head {
  FixedText<20480> text;  // the memo; a note's body holds as much

  static std::span<const PmEx2Column<PmMemoEx2Record>> Columns();
};

// "MemoPad.mdb" of Palm Desktop 6.x.
class PmMemoEx2Util final : public PmEx2Loader<PmMemoEx2Record> {
 public:
  PmMemoEx2Util() : PmEx2Loader(PmDbKind::kMemos) {}
};

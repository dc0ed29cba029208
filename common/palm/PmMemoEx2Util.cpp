#include "palm/PmMemoEx2Util.h"

std::span<const PmEx2Column<PmMemoEx2Record>> PmMemoEx2Record::Columns() {
  using R = PmMemoEx2Record;
  static const PmEx2Column<R> kColumns[] = {
      PM_EX2_HEAD_COLUMNS,
      PM_EX2_COLUMN("Note", text),
  };
  return kColumns;
}

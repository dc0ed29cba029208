#pragma once

#include <cstdint>

#include "palm/PmDBUtil.h"

// What differs between the two generations of the ".dat" format: the header after the version word
// and how the record block reacts to a bad record. Chosen once per file from the version word.
class PmFileLayout {
 public:
  virtual ~PmFileLayout() = default;

  // Layout 1 or 2 from the version word's layout byte; null for anything else.
  static const PmFileLayout* ForVersion(std::uint32_t version);
  static const PmFileLayout* ForNumber(int layout);

  virtual int Number() const = 0;
  // Reads from after the version word up to the category block.
  virtual bool ReadHeader(PmDBUtil& db, PmByteSource& src, PmHeader& header) const = 0;
  virtual void WriteHeader(const PmDBUtil& db, PmByteSink& sink, const PmHeader& header) const = 0;
  // The header of a new, empty file.
  virtual void InitHeader(PmDatabase db, PmHeader& header) const = 0;
  // Layout 1 keeps the records read before a bad one; layout 2 fails the load.
  virtual bool KeepsRecordsBeforeError() const = 0;
  virtual void LogRecordCount(const PmDBUtil& db, std::int32_t total,
                              std::int32_t records) const = 0;
};

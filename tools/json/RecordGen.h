#pragma once

#include <cstdint>
#include <vector>

#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CommonTask.h"

// Seeded record sets full of near-duplicates: the same keys in other case, with CR and LF put in
// or added at the end, empty keys, and counterparts that agree or differ in one compared field.
// Two sets made from the same `pool` seed share their vocabulary, so they match each other often.
struct RecordGenOptions {
  std::uint32_t seed = 1;
  std::uint32_t pool = 1;        // seed of the shared vocabulary
  std::size_t distinctKeys = 0;  // 0: about a third of the count
};

std::vector<CommonContact> GenerateContacts(std::size_t count, const RecordGenOptions& options);
std::vector<CommonEvent> GenerateEvents(std::size_t count, const RecordGenOptions& options);
std::vector<CommonTask> GenerateTasks(std::size_t count, const RecordGenOptions& options);
std::vector<CommonNote> GenerateNotes(std::size_t count, const RecordGenOptions& options);

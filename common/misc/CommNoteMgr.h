#pragma once

#include <array>

#include "misc/CommMgr.h"
#include "misc/CommonNote.h"

enum NoteCode : std::uint32_t { kNoteTitle = 2, kNoteBody = 3 };

struct NoteMatchTraits {
  using Record = CommonNote;
  static constexpr std::array<std::uint32_t, 1> kKeys = {kNoteTitle};
  static constexpr std::array<std::uint32_t, 1> kCompare = {kNoteBody};
  static MatchValue Extract(const CommonNote& n, std::uint32_t code);
  static void Update(CommonNote& stored, const CommonNote& incoming);
};

class CommNoteMgr : public CommMgr<NoteMatchTraits> {};

#include "palm/PmMemoInfo.h"

#include "palm/PmUsers.h"

const PmSourceTexts PmMemoInfo::kTexts = {
    "Load Palm Desktop Memos by file: %s",
    "Failed to load Palm Desktop Memos data file (%s)",
    "Check Palm Desktop Memos file version, file: %s",
    "Memos",
    "Failed to check Palm Desktop Memos data file type (%s)",
};
const PmUserTexts PmMemoInfo::kUserTexts = {
    "Load Palm Desktop Memos by user: %d",
    "Can not get Palm Desktop user data path. User ID=%d",
    "Failed to load Palm Desktop Memo database by User: %d",
};
const char* const PmMemoInfo::kUnplaced =
    "%zu Palm memos could not be placed in memory and were skipped.";

PmMemoInfo::PmMemoInfo(std::uint32_t version)
    : PmGenerationSource(version, PmOldVersions::kUnknown) {}

PmMemoInfo::PmMemoInfo() : PmMemoInfo(GetPalmDesktopVersion()) {}

namespace {

// The title is the first line; a memo written on another system may end its lines with a bare
// carriage return or line feed, which ends the title as well.
void SetBodyAndTitle(CommonNote& n, std::string_view text) {
  if (text.empty()) return;
  n.Body = text;
  n.Title = text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

void PmMemoInfo::Convert(const PmMemoRecord& r, CommonNote& n) {
  SetBodyAndTitle(n, codePage_.Decode(PmClip(r.text, 8192), 20479));
  n.Reserved = r.isPrivate ? 1u : 0u;
}

void PmMemoInfo::Convert(const PmMemoExRecord& r, CommonNote& n) {
  SetBodyAndTitle(n, codePage_.Decode(PmClip(r.text, 8192), 20479));
  n.Reserved = r.isPrivate ? 1u : 0u;
}

void PmMemoInfo::Convert(const PmMemoEx2Record& r, CommonNote& n) {
  SetBodyAndTitle(n, r.text.view());
  n.Reserved = r.isPrivate ? 1u : 0u;
}

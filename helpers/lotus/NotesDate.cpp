// The stand-in Notes helper for the calendar list of a mail database document.
#include "NotesHelper.h"

namespace {

struct Kind {
  using Record = LNEventRecord;
  static constexpr const char* kNoun = "entry";
  static constexpr const char* kDocKind = "mail";
  static constexpr const char* kList = "calendar";
  static constexpr LotusParamKey kDatabaseKey = kLNParamDatabase;
};

}  // namespace

int main(int argc, char** argv) {
  return RunNotesHelperProgram<Kind>(argc, argv);
}

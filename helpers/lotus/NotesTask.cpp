// The stand-in Notes helper for the tasks list of a mail database document.
#include "NotesHelper.h"

namespace {

struct Kind {
  using Record = LNTaskRecord;
  static constexpr const char* kNoun = "to-do";
  static constexpr const char* kDocKind = "mail";
  static constexpr const char* kList = "tasks";
  static constexpr LotusParamKey kDatabaseKey = kLNParamDatabase;
};

}  // namespace

int main(int argc, char** argv) {
  return RunNotesHelperProgram<Kind>(argc, argv);
}

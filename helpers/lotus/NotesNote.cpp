// The stand-in Notes helper for the notes list of a notebook database document.
#include "NotesHelper.h"

namespace {

struct Kind {
  using Record = LNNoteRecord;
  static constexpr const char* kNoun = "note";
  static constexpr const char* kDocKind = "notebook";
  static constexpr const char* kList = "notes";
  static constexpr LotusParamKey kDatabaseKey = kLNParamDatabase;
};

}  // namespace

int main(int argc, char** argv) {
  return RunNotesHelperProgram<Kind>(argc, argv);
}

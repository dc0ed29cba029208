// The stand-in Notes helper for the contacts list of a addressbook database document.
#include "NotesHelper.h"

namespace {

struct Kind {
  using Record = LNContactRecord;
  static constexpr const char* kNoun = "contact";
  static constexpr const char* kDocKind = "addressbook";
  static constexpr const char* kList = "contacts";
  static constexpr LotusParamKey kDatabaseKey = kLNParamAddressBook;
};

}  // namespace

int main(int argc, char** argv) {
  return RunNotesHelperProgram<Kind>(argc, argv);
}

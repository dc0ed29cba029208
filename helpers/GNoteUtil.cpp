// The Google notes helper: one iCalendar VJOURNAL per note in the account.
#include "HelperFlow.h"

int main(int argc, char** argv) {
  return RunHelperProgram<NoteKind>(argc, argv);
}

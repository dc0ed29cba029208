// The Google calendar helper: one iCalendar event per record in the account's calendar.
#include "HelperFlow.h"

int main(int argc, char** argv) {
  return RunHelperProgram<EventKind>(argc, argv);
}

// The Google tasks helper: one iCalendar VTODO per task in the account.
#include "HelperFlow.h"

int main(int argc, char** argv) {
  return RunHelperProgram<TaskKind>(argc, argv);
}

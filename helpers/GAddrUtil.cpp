// The Google contacts helper: one vCard per contact in the account.
#include "HelperFlow.h"

int main(int argc, char** argv) {
  return RunHelperProgram<ContactKind>(argc, argv);
}

// The program that reads Palm Desktop 6.x databases for Quillmove, one statement per run.
#include "palm/PmMDBAccessor.h"

int main(int argc, char** argv) {
  return PmMDBAccessor::ReaderMain(argc, argv);
}

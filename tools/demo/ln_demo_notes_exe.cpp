// Writes the Notes.exe of the demo Lotus Notes program folder: a program image with a file
// version, which is what the wizard's Lotus Notes page looks for. Usage: ln_demo_notes_exe FILE
#include <cstdio>
#include <fstream>
#include <string>

#include "pe/PeBuilder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ln_demo_notes_exe FILE\n");
    return 2;
  }
  const std::string image = PeFileContent(8, 5, 3, 0);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(image.data(), static_cast<std::streamsize>(image.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "ln_demo_notes_exe: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}

// Writes the simulated firmware file (see sim_firmware.h); run by the build.
#include <iostream>

#include "core/io/files.h"
#include "core/io/text.h"
#include "sim_firmware.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: konfex-simfw OUTPUT_FILE\n";
    return 2;
  }
  try {
    konfex::writeFileAtomically(konfex::utf8Path(argv[1]), konfex::simfw::build());
  } catch (const konfex::FileError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}

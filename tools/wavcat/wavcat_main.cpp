// wavcat: joins WAV files end to end. See README.md or `wavcat --help`.
#include <iostream>

#include "tools/wavcat/wavcat_run.h"

int main(int argc, char** argv) {
  const int status = quillon::wavcat::RunWavcat(argc, argv, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : quillon::wavcat::kExitOutput;
}

// wavcat: joins WAV files end to end. See README.md or `wavcat --help`.
#include <iostream>
#include <string>
#include <vector>

#include "tools/wavcat/wavcat_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = quillon::wavcat::RunWavcat(args, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : quillon::wavcat::kExitOutput;
}

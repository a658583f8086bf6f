// voranth-calc: the calculator from the command line.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/run.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return cli::Run(args, std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "voranth-calc: " << e.what() << '\n';
    return cli::kFileError;
  }
}

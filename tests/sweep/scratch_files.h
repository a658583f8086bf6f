#pragma once

// Touchstone texts written into a directory of the test's own, for the sweep's tests.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sweep/sweep.h"

namespace sweep_test {

// Writes the texts of .s1p files into a directory of its own, removed at the end.
class Files {
 public:
  Files()
      : dir_(std::filesystem::temp_directory_path() /
             ("voranth-sweep-test-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
  }
  ~Files() { std::filesystem::remove_all(dir_); }
  sweep::FilePort Port(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    sweep::FilePort port;
    port.path = (dir_ / name).string();
    return port;
  }

 private:
  std::filesystem::path dir_;
};

}  // namespace sweep_test

#include <filesystem>
#include <iostream>
#include <system_error>

#include "cli/CliRun.h"

int main(int argc, char** argv) {
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) executable = std::filesystem::absolute(argv[0], error);
  return quarvel::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                              executable.string());
}

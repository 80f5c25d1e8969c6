// Quorvane: writes a C++ header describing the first constant buffer of a
// compiled shader.
#include <cstdio>

#include "run_sequence.h"
#include "shared_file_open.h"

namespace {

void PrintUsage() {
  std::printf(
      "Quorvane serializes out a binary file that contains QEX specific data for a given HLSL "
      "shader\n\n");
  std::printf(
      "Usage:\n\n\tQuorvane [compiled_shader_byte_code_file_name] "
      "[output_shader_reflection_file_name]\n\n");
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything is opened: a closed standard output would otherwise
  // become the header, and messages would be written into it.
  if (!FillClosedStandardDescriptors()) return 1;
  if (argc != 3) {
    PrintUsage();
    return 1;
  }
  return RunQuorvane(argv[1], argv[2], argv[2]);
}

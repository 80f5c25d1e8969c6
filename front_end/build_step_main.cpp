// QuorvaneBuildStep: what the build rules run. With the same two arguments
// it does what Quorvane does, but writes the header under a temporary name
// beside it and moves it into place only when the run succeeded. So a
// header is either the complete output of a successful run or absent, and a
// failed or killed run never leaves a partial header that a later build
// could take for an up-to-date one. One process per header: a wrapper that
// ran the tool would cost a second one.
#include <cstdio>
#include <string>

#include "run_sequence.h"
#include "shared_file_open.h"

int main(int argc, char** argv) {
  if (!FillClosedStandardDescriptors()) return 1;
  if (argc != 3) {
    std::printf(
        "QuorvaneBuildStep runs Quorvane for a build rule: the header appears only when the run "
        "succeeds\n\nUsage:\n\n\tQuorvaneBuildStep [compiled_shader_byte_code_file_name] "
        "[output_shader_reflection_file_name]\n\n");
    return 1;
  }
  const char* output_path = argv[2];
  const std::string partial = std::string(output_path) + ".quorvane-tmp";
  if (RunQuorvane(argv[1], output_path, partial.c_str()) != 0) return 1;
  if (!ReplaceWith(partial.c_str(), output_path)) {
    std::printf("ERROR: Failed to move %s into place as %s\n", partial.c_str(), output_path);
    return 1;
  }
  return 0;
}

// Writes the 16,384-variable shader for the whole-process benchmark.
//   make_large_shader <output.cso>
#include <cstdio>

#include "large_shader.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_large_shader <output.cso>\n");
    return 2;
  }
  const std::vector<unsigned char> shader = BuildLargestShader();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 1;
  std::fwrite(shader.data(), 1, shader.size(), out);
  return std::fclose(out) == 0 ? 0 : 1;
}

// The largest constant buffer a shader can have: 4,096 registers of four
// floats, 16,384 scalar variables, built by the tests' container builder.
#ifndef QUORVANE_BENCH_LARGE_SHADER_H
#define QUORVANE_BENCH_LARGE_SHADER_H

#include <cstdio>
#include <string>
#include <vector>

#include "dxbc_builder.h"

constexpr unsigned kLargestVariableCount = 16384;

inline std::vector<unsigned char> BuildLargestShader() {
  dxbc_builder::ShaderPlan plan;
  dxbc_builder::BufferPlan buffer;
  buffer.name = "Huge";
  buffer.size = 4 * kLargestVariableCount;
  for (unsigned i = 0; i < kLargestVariableCount; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Constant%05u", i);
    buffer.variables.push_back(dxbc_builder::Variable(name, 4 * i, 4, dxbc_builder::Float()));
  }
  plan.buffers = {buffer};
  return dxbc_builder::Build(plan).bytes;
}

#endif  // QUORVANE_BENCH_LARGE_SHADER_H

// In-process costs: reflecting a typical and the largest shader, and writing
// the largest table to a file.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "large_shader.h"
#include "shader_reflection/d3d11_shader_reflection.h"
#include "test_files.h"
#include "uniform_table_writer.h"

namespace {

using namespace shader_reflection;

ID3D11ShaderReflection* ReflectOrDie(const std::vector<unsigned char>& bytes) {
  void* object = nullptr;
  if (FAILED(D3DReflect(bytes.data(), bytes.size(), IID_ID3D11ShaderReflection, &object)))
    std::abort();
  return static_cast<ID3D11ShaderReflection*>(object);
}

void ReflectRepeatedly(benchmark::State& state, const std::vector<unsigned char>& shader,
                       unsigned variables) {
  for (auto _ : state) {
    ID3D11ShaderReflection* reflection = ReflectOrDie(shader);
    benchmark::DoNotOptimize(reflection);
    reflection->Release();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * shader.size()));
  state.counters["per_variable"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * variables,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ReflectTypicalShader(benchmark::State& state) {
  const std::vector<unsigned char> shader =
      test_files::ReadBytes(test_files::FixturePath("two_cbuffers_vs_5_0.cso"));
  ReflectRepeatedly(state, shader, 8);
}
BENCHMARK(BM_ReflectTypicalShader);

void BM_ReflectLargestShader(benchmark::State& state) {
  ReflectRepeatedly(state, BuildLargestShader(), kLargestVariableCount);
}
BENCHMARK(BM_ReflectLargestShader)->Unit(benchmark::kMicrosecond);

// The same file with an all-zero checksum, which is not verified: what the
// parsing and the objects cost without the checksum pass.
void BM_ReflectLargestShaderUnsigned(benchmark::State& state) {
  std::vector<unsigned char> shader = BuildLargestShader();
  std::fill(shader.begin() + 4, shader.begin() + 20, 0);
  ReflectRepeatedly(state, shader, kLargestVariableCount);
}
BENCHMARK(BM_ReflectLargestShaderUnsigned)->Unit(benchmark::kMicrosecond);

// Hostile files against the valid one of the same size (all with an
// all-zero checksum): binding records whose names are each their own suffix
// of one name, 31 bytes long (the longest the reader scans again per record
// instead of remembering) or 1,024 (the length limit, which a reader that
// scans a name per record pays for 1,024 times over); and the 1.2 MB file
// of 4,096 records sharing a 1 MiB name, refused.
std::vector<unsigned char> CraftedLikeTheLargestShader(std::size_t name_length) {
  const std::size_t size = BuildLargestShader().size();
  const std::size_t fixed = dxbc_builder::BuildBindingsIntoOneName(0, name_length, 1).size();
  const auto bindings = static_cast<std::uint32_t>((size - fixed) / 32);
  return dxbc_builder::BuildBindingsIntoOneName(bindings, name_length, 1);
}

void BM_VerifyCraftedNamesOfTheLargestSize(benchmark::State& state) {
  const std::vector<unsigned char> shader =
      CraftedLikeTheLargestShader(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    void* object = nullptr;
    if (FAILED(D3DReflect(shader.data(), shader.size(), IID_ID3D11ShaderReflection, &object)))
      std::abort();
    static_cast<ID3D11ShaderReflection*>(object)->Release();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * shader.size()));
}
BENCHMARK(BM_VerifyCraftedNamesOfTheLargestSize)->Arg(31)->Arg(1024)->Unit(benchmark::kMicrosecond);

void BM_RefuseBindingsSharingAHugeName(benchmark::State& state) {
  const std::vector<unsigned char> shader =
      dxbc_builder::BuildBindingsIntoOneName(4096, std::size_t{1} << 20, 0);
  for (auto _ : state) {
    void* object = nullptr;
    if (SUCCEEDED(D3DReflect(shader.data(), shader.size(), IID_ID3D11ShaderReflection, &object)))
      std::abort();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * shader.size()));
}
BENCHMARK(BM_RefuseBindingsSharingAHugeName)->Unit(benchmark::kMicrosecond);

void BM_WriteLargestTable(benchmark::State& state) {
  const std::vector<unsigned char> shader = BuildLargestShader();  // outlives the reflection
  ID3D11ShaderReflection* reflection = ReflectOrDie(shader);
  const std::string path = "quorvane_bench_refl.h";
  std::FILE* console = std::fopen("/dev/null", "w");
  long bytes = 0;
  for (auto _ : state) {
    std::FILE* out = std::fopen(path.c_str(), "w+");
    if (WriteUniformTable(reflection->GetConstantBufferByIndex(0), out, "quorvane_bench_refl",
                          "huge.cso", console) != UniformTableOutcome::kTableWritten)
      std::abort();
  }
  std::FILE* written = std::fopen(path.c_str(), "rb");
  std::fseek(written, 0, SEEK_END);
  bytes = std::ftell(written);
  std::fclose(written);
  std::remove(path.c_str());
  std::fclose(console);
  reflection->Release();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
  state.counters["per_variable"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kLargestVariableCount,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WriteLargestTable)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

#include "run_sequence.h"

#include <cstdio>
#include <memory>
#include <string>

#include "bytecode_file.h"
#include "shader_reflection/d3d11_shader_reflection.h"
#include "shared_file_open.h"
#include "table_name.h"
#include "uniform_table_writer.h"

namespace {

using shader_reflection::ID3D11ShaderReflection;

struct ReleaseReflection {
  void operator()(ID3D11ShaderReflection* reflection) const { reflection->Release(); }
};
using ReflectionPtr = std::unique_ptr<ID3D11ShaderReflection, ReleaseReflection>;

// The platform tool went on with a null object here and crashed; we say why.
int Reflect(const char* input_path, const BytecodeBuffer& bytecode, ReflectionPtr* reflection) {
  void* object = nullptr;
  std::string reason;
  const shader_reflection::HRESULT result = shader_reflection::D3DReflectWithReason(
      bytecode.bytes.get(), bytecode.count, shader_reflection::IID_ID3D11ShaderReflection, &object,
      &reason);
  if (shader_reflection::FAILED(result)) {
    std::printf("ERROR: Failed to reflect shader: %s (%s)\n", input_path, reason.c_str());
    return 1;
  }
  reflection->reset(static_cast<ID3D11ShaderReflection*>(object));
  return 0;
}

int Finish(UniformTableOutcome outcome, const char* output_path) {
  switch (outcome) {
    case UniformTableOutcome::kTableWritten:
      std::printf("Successfully serialized shader reflection info: %s\n", output_path);
      return 0;
    case UniformTableOutcome::kNoConstantBuffer:
      return 0;
    case UniformTableOutcome::kUnknownVariableType:
      return 1;
    case UniformTableOutcome::kWriteFailed:
      std::printf("ERROR: Failed to write file: %s\n", output_path);
      return 1;
  }
  return 1;
}

}  // namespace

int RunQuorvane(const char* input_path, const char* output_path, const char* write_path) {
  BytecodeBuffer bytecode;
  if (LoadBytecodeFile(input_path, &bytecode) != 0) return 1;

  ReflectionPtr reflection;
  if (Reflect(input_path, bytecode, &reflection) != 0) return 1;
  shader_reflection::ID3D11ShaderReflectionConstantBuffer* constant_buffer =
      reflection->GetConstantBufferByIndex(0);

  std::string problem;
  if (!NamesFitStringLiterals(constant_buffer, &problem)) {
    std::printf(
        "ERROR: Cannot write the table of shader %s: %s, which a C++ string literal "
        "cannot hold as it is\n",
        input_path, problem.c_str());
    return 1;
  }

  std::FILE* out = OpenForWritingExclusively(write_path);
  if (out == nullptr) {
    std::printf("ERROR: Failed to create file: %s\n", output_path);
    return 1;
  }
  const std::string table_name = MakeTableName(output_path);
  // After an unknown variable type the stream stays open: the ending of the
  // process flushes what was written, and the partial file stays.
  return Finish(WriteUniformTable(constant_buffer, out, table_name, input_path), output_path);
}

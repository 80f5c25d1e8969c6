// Quorvane: writes a C++ header describing the first constant buffer of a
// compiled shader.
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

void PrintUsage() {
  std::printf(
      "Quorvane serializes out a binary file that contains QEX specific data for a given HLSL "
      "shader\n\n");
  std::printf(
      "Usage:\n\n\tQuorvane [compiled_shader_byte_code_file_name] "
      "[output_shader_reflection_file_name]\n\n");
}

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

int main(int argc, char** argv) {
  // Before anything is opened: a closed standard output would otherwise
  // become the header, and messages would be written into it.
  if (!FillClosedStandardDescriptors()) return 1;
  if (argc != 3) {
    PrintUsage();
    return 1;
  }
  const char* input_path = argv[1];
  const char* output_path = argv[2];

  BytecodeBuffer bytecode;
  if (LoadBytecodeFile(input_path, &bytecode) != 0) return 1;

  ReflectionPtr reflection;
  if (Reflect(input_path, bytecode, &reflection) != 0) return 1;
  shader_reflection::ID3D11ShaderReflectionConstantBuffer* constant_buffer =
      reflection->GetConstantBufferByIndex(0);

  std::FILE* out = OpenForWritingExclusively(output_path);
  if (out == nullptr) {
    std::printf("ERROR: Failed to create file: %s\n", output_path);
    return 1;
  }
  const std::string table_name = MakeTableName(output_path);
  // After an unknown variable type the stream stays open: the ending of the
  // process flushes what was written, and the partial file stays.
  return Finish(WriteUniformTable(constant_buffer, out, table_name, input_path), output_path);
}

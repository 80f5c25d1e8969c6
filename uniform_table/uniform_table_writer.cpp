#include "uniform_table_writer.h"

namespace {

using shader_reflection::D3D11_SHADER_BUFFER_DESC;
using shader_reflection::D3D11_SHADER_TYPE_DESC;
using shader_reflection::D3D11_SHADER_VARIABLE_DESC;
using shader_reflection::FAILED;
using shader_reflection::ID3D11ShaderReflectionType;
using shader_reflection::ID3D11ShaderReflectionVariable;

// The enumerator for a variable's base type, or null for a kind the table
// cannot describe.
const char* UniformKind(ID3D11ShaderReflectionVariable* variable) {
  ID3D11ShaderReflectionType* type = variable->GetType();
  D3D11_SHADER_TYPE_DESC type_desc{};
  // A type that cannot be described is no more usable than an unknown one.
  if (type == nullptr || FAILED(type->GetDesc(&type_desc))) return nullptr;
  switch (type_desc.Type) {
    case shader_reflection::D3D_SVT_BOOL:
      return "VARTYPE_BOOL";
    case shader_reflection::D3D_SVT_FLOAT:
      return "VARTYPE_FLOAT";
    default:
      return nullptr;
  }
}

// Both the stream's error state and the close count: a full disk often shows
// only when the buffer is flushed.
UniformTableOutcome CloseStream(std::FILE* out, UniformTableOutcome done) {
  const bool write_failed = std::ferror(out) != 0;
  const bool close_failed = std::fclose(out) != 0;
  return (write_failed || close_failed) ? UniformTableOutcome::kWriteFailed : done;
}

}  // namespace

UniformTableOutcome WriteUniformTable(
    shader_reflection::ID3D11ShaderReflectionConstantBuffer* constant_buffer, std::FILE* out,
    const std::string& table_name, const char* input_path, std::FILE* console) {
  const char* name = table_name.c_str();
  D3D11_SHADER_BUFFER_DESC buffer_desc{};
  if (FAILED(constant_buffer->GetDesc(&buffer_desc))) {
    std::fprintf(console, "Did not get a constant buffer from shader: %s", input_path);
    std::fprintf(out, "// No data available for shader reflection %s", name);
    return CloseStream(out, UniformTableOutcome::kNoConstantBuffer);
  }

  std::fprintf(out, "#ifndef %s\n\n", name);
  std::fprintf(out, "const QEX::CAPI::D3D_NS::ShaderBase::Uniform %s[] =\n{\n", name);
  for (shader_reflection::UINT i = 0; i < buffer_desc.Variables; ++i) {
    ID3D11ShaderReflectionVariable* variable = constant_buffer->GetVariableByIndex(i);
    if (variable == nullptr) continue;
    D3D11_SHADER_VARIABLE_DESC variable_desc{};
    if (FAILED(variable->GetDesc(&variable_desc))) continue;
    const char* kind = UniformKind(variable);
    if (kind == nullptr) {
      std::fprintf(console, "Unknown variable type for variable: '%s' used in shader '%s'",
                   variable_desc.Name, input_path);
      return UniformTableOutcome::kUnknownVariableType;
    }
    std::fprintf(out, "\t{ \"%s\", \tQEX::CAPI::D3D_NS::ShaderBase::%s, %d, %d },\n",
                 variable_desc.Name, kind, static_cast<int>(variable_desc.StartOffset),
                 static_cast<int>(variable_desc.Size));
  }
  std::fprintf(out, "};\n\n#endif\n");
  return CloseStream(out, UniformTableOutcome::kTableWritten);
}

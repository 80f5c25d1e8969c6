#include "reflection_walk.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "shader_reflection/d3d11_shader_reflection.h"
#include "uniform_table_writer.h"

namespace {

using namespace shader_reflection;

// Reads every field, so a sanitizer sees any byte a query hands out.
std::size_t Touch(const char* text) { return text == nullptr ? 0 : std::strlen(text); }

// Struct members may share types, so a crafted file can make the tree of
// members exponentially larger than the records; each type object is
// visited once.
void WalkType(ID3D11ShaderReflectionType* root, std::unordered_set<void*>* seen) {
  std::vector<ID3D11ShaderReflectionType*> pending{root};
  while (!pending.empty()) {
    ID3D11ShaderReflectionType* type = pending.back();
    pending.pop_back();
    if (!seen->insert(type).second) continue;
    D3D11_SHADER_TYPE_DESC desc{};
    if (FAILED(type->GetDesc(&desc))) continue;
    Touch(desc.Name);
    for (UINT m = 0; m < desc.Members; ++m) {
      Touch(type->GetMemberTypeName(m));
      pending.push_back(type->GetMemberTypeByIndex(m));
    }
  }
}

void WalkBuffer(ID3D11ShaderReflectionConstantBuffer* buffer, std::unordered_set<void*>* seen) {
  D3D11_SHADER_BUFFER_DESC desc{};
  if (FAILED(buffer->GetDesc(&desc))) return;
  Touch(desc.Name);
  for (UINT v = 0; v <= desc.Variables; ++v) {  // one past the end: the placeholder
    ID3D11ShaderReflectionVariable* variable = buffer->GetVariableByIndex(v);
    D3D11_SHADER_VARIABLE_DESC variable_desc{};
    if (SUCCEEDED(variable->GetDesc(&variable_desc))) {
      Touch(variable_desc.Name);
      if (variable_desc.DefaultValue != nullptr) {
        volatile unsigned char sum = 0;
        const auto* bytes = static_cast<const unsigned char*>(variable_desc.DefaultValue);
        for (UINT i = 0; i < variable_desc.Size; ++i)
          sum = static_cast<unsigned char>(sum + bytes[i]);
      }
    }
    WalkType(variable->GetType(), seen);
  }
}

// Writes the table as the tool would; what is written is not looked at, so
// it goes to the null device, which every system has.
void WriteTable(ID3D11ShaderReflectionConstantBuffer* buffer) {
#ifdef _WIN32
  const char* null_device = "NUL";
#else
  const char* null_device = "/dev/null";
#endif
  std::FILE* out = std::fopen(null_device, "w");
  std::FILE* console = std::fopen(null_device, "w");
  if (out == nullptr || console == nullptr) std::abort();
  if (WriteUniformTable(buffer, out, "table", "shader.cso", console) ==
      UniformTableOutcome::kUnknownVariableType)
    std::fclose(out);
  std::fclose(console);
}

}  // namespace

WalkResult WalkReflection(const unsigned char* data, std::size_t size) {
  WalkResult result;
  void* object = nullptr;
  if (FAILED(D3DReflectWithReason(data, size, IID_ID3D11ShaderReflection, &object, &result.reason)))
    return result;
  result.reflected = true;
  auto* reflection = static_cast<ID3D11ShaderReflection*>(object);
  D3D11_SHADER_DESC desc{};
  reflection->GetDesc(&desc);
  Touch(desc.Creator);
  std::unordered_set<void*> seen;
  for (UINT b = 0; b <= desc.ConstantBuffers; ++b) {
    WalkBuffer(reflection->GetConstantBufferByIndex(b), &seen);
    WriteTable(reflection->GetConstantBufferByIndex(b));
  }
  reflection->Release();
  return result;
}

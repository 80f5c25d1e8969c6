// Compiles only: <windows.h> first, then the reflection header, used the
// way code that sees both writes it (the status names unqualified, as the
// system's macros with the same meanings).
#include <windows.h>

#include "shader_reflection/d3d11_shader_reflection.h"

bool ReflectsWithWindowsHeaderFirst(const void* data, std::size_t size) {
  void* object = nullptr;
  const HRESULT result = shader_reflection::D3DReflect(
      data, size, shader_reflection::IID_ID3D11ShaderReflection, &object);
  if (FAILED(result) || result != S_OK) return false;
  static_cast<shader_reflection::ID3D11ShaderReflection*>(object)->Release();
  return SUCCEEDED(result);
}

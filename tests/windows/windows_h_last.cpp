// Compiles only: the reflection header first, then <windows.h>.
#include <windows.h>

#include "shader_reflection/d3d11_shader_reflection.h"

bool ReflectsWithWindowsHeaderLast(const void* data, std::size_t size) {
  void* object = nullptr;
  const HRESULT result = shader_reflection::D3DReflect(
      data, size, shader_reflection::IID_ID3D11ShaderReflection, &object);
  if (FAILED(result) || result != S_OK || result == E_FAIL) return false;
  static_cast<shader_reflection::ID3D11ShaderReflection*>(object)->Release();
  return SUCCEEDED(result);
}

// Reflection of compiled shader model 4/5 byte code (DXBC), shaped like the
// platform's d3d11shader.h so that code written against the platform's
// reflection calls compiles against this library unchanged.
//
// Everything lives in namespace shader_reflection, so the system's types of
// the same names never collide with these. <windows.h> also defines some
// names as macros (S_OK, E_FAIL, SUCCEEDED, FAILED, REFIID, ...): this header
// sets them aside while it declares its own and restores them after, so it
// may come before or after <windows.h>. Code that sees both writes those
// names unqualified and gets the system's macros, whose meanings are the
// same.
//
// Lifetime: D3DReflect verifies the whole container once and keeps pointers
// into the caller's bytes: every name and default value it hands out points
// there. The bytes must stay alive and unchanged until the reflection object
// is released (the tool keeps its file buffer for the whole run). Not
// copying keeps a large shader's run from touching its memory twice. Buffer,
// variable and type objects belong to the reflection object and live until
// its Release.
#ifndef SHADER_REFLECTION_D3D11_SHADER_REFLECTION_H
#define SHADER_REFLECTION_D3D11_SHADER_REFLECTION_H

#include <cstddef>
#include <cstdint>
#include <string>

#pragma push_macro("S_OK")
#undef S_OK
#pragma push_macro("S_FALSE")
#undef S_FALSE
#pragma push_macro("E_NOINTERFACE")
#undef E_NOINTERFACE
#pragma push_macro("E_FAIL")
#undef E_FAIL
#pragma push_macro("E_INVALIDARG")
#undef E_INVALIDARG
#pragma push_macro("SUCCEEDED")
#undef SUCCEEDED
#pragma push_macro("FAILED")
#undef FAILED
#pragma push_macro("REFIID")
#undef REFIID

namespace shader_reflection {

using HRESULT = std::int32_t;
using UINT = std::uint32_t;
using BYTE = std::uint8_t;
using SIZE_T = std::size_t;
using LPCSTR = const char*;
using LPCVOID = const void*;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;

bool operator==(const GUID& a, const GUID& b);
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

// {0A233719-3960-4578-9D7C-203B8B1D9CC1}: the interface id of the
// d3dcompiler_43 generation, which is the one the tool asks for.
constexpr IID IID_ID3D11ShaderReflection = {
    0x0A233719, 0x3960, 0x4578, {0x9D, 0x7C, 0x20, 0x3B, 0x8B, 0x1D, 0x9C, 0xC1}};

enum D3D_SHADER_VARIABLE_CLASS : std::uint32_t {
  D3D_SVC_SCALAR = 0,
  D3D_SVC_VECTOR = 1,
  D3D_SVC_MATRIX_ROWS = 2,
  D3D_SVC_MATRIX_COLUMNS = 3,
  D3D_SVC_OBJECT = 4,
  D3D_SVC_STRUCT = 5,
  D3D_SVC_INTERFACE_CLASS = 6,
  D3D_SVC_INTERFACE_POINTER = 7,
  D3D_SVC_FORCE_DWORD = 0x7FFFFFFF
};

enum D3D_SHADER_VARIABLE_TYPE : std::uint32_t {
  D3D_SVT_VOID = 0,
  D3D_SVT_BOOL = 1,
  D3D_SVT_INT = 2,
  D3D_SVT_FLOAT = 3,
  D3D_SVT_STRING = 4,
  D3D_SVT_TEXTURE = 5,
  D3D_SVT_TEXTURE1D = 6,
  D3D_SVT_TEXTURE2D = 7,
  D3D_SVT_TEXTURE3D = 8,
  D3D_SVT_TEXTURECUBE = 9,
  D3D_SVT_SAMPLER = 10,
  D3D_SVT_SAMPLER1D = 11,
  D3D_SVT_SAMPLER2D = 12,
  D3D_SVT_SAMPLER3D = 13,
  D3D_SVT_SAMPLERCUBE = 14,
  D3D_SVT_PIXELSHADER = 15,
  D3D_SVT_VERTEXSHADER = 16,
  D3D_SVT_PIXELFRAGMENT = 17,
  D3D_SVT_VERTEXFRAGMENT = 18,
  D3D_SVT_UINT = 19,
  D3D_SVT_UINT8 = 20,
  D3D_SVT_GEOMETRYSHADER = 21,
  D3D_SVT_RASTERIZER = 22,
  D3D_SVT_DEPTHSTENCIL = 23,
  D3D_SVT_BLEND = 24,
  D3D_SVT_BUFFER = 25,
  D3D_SVT_CBUFFER = 26,
  D3D_SVT_TBUFFER = 27,
  D3D_SVT_TEXTURE1DARRAY = 28,
  D3D_SVT_TEXTURE2DARRAY = 29,
  D3D_SVT_RENDERTARGETVIEW = 30,
  D3D_SVT_DEPTHSTENCILVIEW = 31,
  D3D_SVT_TEXTURE2DMS = 32,
  D3D_SVT_TEXTURE2DMSARRAY = 33,
  D3D_SVT_TEXTURECUBEARRAY = 34,
  D3D_SVT_HULLSHADER = 35,
  D3D_SVT_DOMAINSHADER = 36,
  D3D_SVT_INTERFACE_POINTER = 37,
  D3D_SVT_COMPUTESHADER = 38,
  D3D_SVT_DOUBLE = 39,
  D3D_SVT_RWTEXTURE1D = 40,
  D3D_SVT_RWTEXTURE1DARRAY = 41,
  D3D_SVT_RWTEXTURE2D = 42,
  D3D_SVT_RWTEXTURE2DARRAY = 43,
  D3D_SVT_RWTEXTURE3D = 44,
  D3D_SVT_RWBUFFER = 45,
  D3D_SVT_BYTEADDRESS_BUFFER = 46,
  D3D_SVT_RWBYTEADDRESS_BUFFER = 47,
  D3D_SVT_STRUCTURED_BUFFER = 48,
  D3D_SVT_RWSTRUCTURED_BUFFER = 49,
  D3D_SVT_APPEND_STRUCTURED_BUFFER = 50,
  D3D_SVT_CONSUME_STRUCTURED_BUFFER = 51,
  D3D_SVT_MIN8FLOAT = 52,
  D3D_SVT_MIN10FLOAT = 53,
  D3D_SVT_MIN16FLOAT = 54,
  D3D_SVT_MIN12INT = 55,
  D3D_SVT_MIN16INT = 56,
  D3D_SVT_MIN16UINT = 57,
  D3D_SVT_INT16 = 58,
  D3D_SVT_UINT16 = 59,
  D3D_SVT_FLOAT16 = 60,
  D3D_SVT_INT64 = 61,
  D3D_SVT_UINT64 = 62,
  D3D_SVT_FORCE_DWORD = 0x7FFFFFFF
};

enum D3D_CBUFFER_TYPE : std::uint32_t {
  D3D_CT_CBUFFER = 0,
  D3D_CT_TBUFFER = 1,
  D3D_CT_INTERFACE_POINTERS = 2,
  D3D_CT_RESOURCE_BIND_INFO = 3
};

enum D3D_SHADER_VARIABLE_FLAGS : std::uint32_t {
  D3D_SVF_USERPACKED = 0x1,
  D3D_SVF_USED = 0x2,
  D3D_SVF_INTERFACE_POINTER = 0x4,
  D3D_SVF_INTERFACE_PARAMETER = 0x8,
  D3D_SVF_FORCE_DWORD = 0x7FFFFFFF
};

enum D3D_SHADER_CBUFFER_FLAGS : std::uint32_t { D3D_CBF_USERPACKED = 0x1 };

// A subset of the platform's shader description: the fields this library
// can take from RDEF and the program's version token.
struct D3D11_SHADER_DESC {
  UINT Version;  // program version token; 0 when there is no program chunk
  LPCSTR Creator;
  UINT Flags;
  UINT ConstantBuffers;
  UINT BoundResources;
};

struct D3D11_SHADER_BUFFER_DESC {
  LPCSTR Name;
  D3D_CBUFFER_TYPE Type;
  UINT Variables;
  UINT Size;
  UINT uFlags;
};

struct D3D11_SHADER_VARIABLE_DESC {
  LPCSTR Name;
  UINT StartOffset;
  UINT Size;
  UINT uFlags;
  const void* DefaultValue;  // null when the variable has none
  UINT StartTexture;
  UINT TextureSize;
  UINT StartSampler;
  UINT SamplerSize;
};

struct D3D11_SHADER_TYPE_DESC {
  D3D_SHADER_VARIABLE_CLASS Class;
  D3D_SHADER_VARIABLE_TYPE Type;
  UINT Rows;
  UINT Columns;
  UINT Elements;
  UINT Members;
  UINT Offset;  // byte offset inside the parent struct; 0 for a variable's own type
  LPCSTR Name;  // null for shader model 4 byte code, which stores no type names
};

class ID3D11ShaderReflectionConstantBuffer;

// Out-of-range lookups never return null: they return a placeholder whose
// GetDesc fails with E_FAIL, as the platform's library does.
class ID3D11ShaderReflectionType {
 public:
  virtual HRESULT GetDesc(D3D11_SHADER_TYPE_DESC* desc) = 0;
  virtual ID3D11ShaderReflectionType* GetMemberTypeByIndex(UINT index) = 0;
  virtual LPCSTR GetMemberTypeName(UINT index) = 0;

 protected:
  ~ID3D11ShaderReflectionType() = default;
};

class ID3D11ShaderReflectionVariable {
 public:
  virtual HRESULT GetDesc(D3D11_SHADER_VARIABLE_DESC* desc) = 0;
  virtual ID3D11ShaderReflectionType* GetType() = 0;
  virtual ID3D11ShaderReflectionConstantBuffer* GetBuffer() = 0;

 protected:
  ~ID3D11ShaderReflectionVariable() = default;
};

class ID3D11ShaderReflectionConstantBuffer {
 public:
  virtual HRESULT GetDesc(D3D11_SHADER_BUFFER_DESC* desc) = 0;
  virtual ID3D11ShaderReflectionVariable* GetVariableByIndex(UINT index) = 0;
  virtual ID3D11ShaderReflectionVariable* GetVariableByName(LPCSTR name) = 0;

 protected:
  ~ID3D11ShaderReflectionConstantBuffer() = default;
};

class ID3D11ShaderReflection {
 public:
  virtual UINT AddRef() = 0;
  // Frees the object, with every buffer, variable and type it owns, when the
  // last reference goes.
  virtual UINT Release() = 0;
  virtual HRESULT GetDesc(D3D11_SHADER_DESC* desc) = 0;
  virtual ID3D11ShaderReflectionConstantBuffer* GetConstantBufferByIndex(UINT index) = 0;
  virtual ID3D11ShaderReflectionConstantBuffer* GetConstantBufferByName(LPCSTR name) = 0;

 protected:
  ~ID3D11ShaderReflection() = default;
};

// Verifies the container and its RDEF chunk and builds the reflection object.
// On any failure *reflector is null and the result is negative:
// E_INVALIDARG for a null pointer or fewer than 32 bytes, E_NOINTERFACE for
// an interface id other than IID_ID3D11ShaderReflection, E_FAIL for bytes
// that are not a readable shader model 4/5 container.
HRESULT D3DReflect(LPCVOID data, SIZE_T size, REFIID iid, void** reflector);

// D3DReflect, and on failure the reason in *reason (what failed and where),
// e.g. "variable 3 of constant buffer 'Params': name offset 0x1f0 is outside
// the RDEF chunk". reason may be null.
HRESULT D3DReflectWithReason(LPCVOID data, SIZE_T size, REFIID iid, void** reflector,
                             std::string* reason);

}  // namespace shader_reflection

#pragma pop_macro("S_OK")
#pragma pop_macro("S_FALSE")
#pragma pop_macro("E_NOINTERFACE")
#pragma pop_macro("E_FAIL")
#pragma pop_macro("E_INVALIDARG")
#pragma pop_macro("SUCCEEDED")
#pragma pop_macro("FAILED")
#pragma pop_macro("REFIID")

#endif  // SHADER_REFLECTION_D3D11_SHADER_REFLECTION_H

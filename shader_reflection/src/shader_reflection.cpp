// The reflection objects: a thin layer of queries over a verified ParsedRdef.
#include <cstring>
#include <vector>

#include "dxbc_container.h"
#include "failure_reason.h"
#include "parsed_rdef.h"
#include "rdef_parser.h"
#include "shader_reflection/d3d11_shader_reflection.h"

namespace shader_reflection {

bool operator==(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace {

class Reflection;

// A type as seen from one place: a variable's own type (Offset 0) or a
// struct member's type (Offset = the member's offset). type_ null is the
// placeholder.
class TypeObject final : public ID3D11ShaderReflectionType {
 public:
  TypeObject(const Reflection* owner, const ParsedType* type, UINT offset)
      : owner_(owner), type_(type), offset_(offset) {}

  HRESULT GetDesc(D3D11_SHADER_TYPE_DESC* desc) override;
  ID3D11ShaderReflectionType* GetMemberTypeByIndex(UINT index) override;
  LPCSTR GetMemberTypeName(UINT index) override;

 private:
  const Reflection* owner_;
  const ParsedType* type_;
  UINT offset_;
};

// One per variable, so it holds nothing but its owner: its parsed record is
// the one at its own position (a buffer may hold 16,384 variables).
class VariableObject final : public ID3D11ShaderReflectionVariable {
 public:
  explicit VariableObject(const Reflection* owner) : owner_(owner) {}

  HRESULT GetDesc(D3D11_SHADER_VARIABLE_DESC* desc) override;
  ID3D11ShaderReflectionType* GetType() override;
  ID3D11ShaderReflectionConstantBuffer* GetBuffer() override;

 private:
  const ParsedVariable& parsed() const;

  const Reflection* owner_;
};

// What out-of-range variable lookups return.
class PlaceholderVariable final : public ID3D11ShaderReflectionVariable {
 public:
  explicit PlaceholderVariable(const Reflection* owner) : owner_(owner) {}

  HRESULT GetDesc(D3D11_SHADER_VARIABLE_DESC*) override { return E_FAIL; }
  ID3D11ShaderReflectionType* GetType() override;
  ID3D11ShaderReflectionConstantBuffer* GetBuffer() override;

 private:
  const Reflection* owner_;
};

class BufferObject final : public ID3D11ShaderReflectionConstantBuffer {
 public:
  BufferObject(const Reflection* owner, const ParsedBuffer* buffer)
      : owner_(owner), buffer_(buffer) {}

  HRESULT GetDesc(D3D11_SHADER_BUFFER_DESC* desc) override;
  ID3D11ShaderReflectionVariable* GetVariableByIndex(UINT index) override;
  ID3D11ShaderReflectionVariable* GetVariableByName(LPCSTR name) override;

 private:
  const Reflection* owner_;
  const ParsedBuffer* buffer_;
};

class Reflection final : public ID3D11ShaderReflection {
 public:
  // Takes the container facts; Build parses the RDEF chunk in place and
  // makes every object up front, so queries never allocate.
  explicit Reflection(const ContainerChunks& chunks)
      : rdef_(chunks.rdef),
        rdef_size_(chunks.rdef_size),
        program_version_(chunks.program_version),
        placeholder_buffer_(this, nullptr),
        placeholder_variable_(this),
        placeholder_type_(this, nullptr, 0) {}

  bool Build(std::string* reason) {
    if (rdef_ != nullptr && !ParseRdef(rdef_, rdef_size_, &parsed_, reason)) return false;
    MakeObjects();
    return true;
  }

  UINT AddRef() override { return ++references_; }
  UINT Release() override {
    const UINT left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetDesc(D3D11_SHADER_DESC* desc) override {
    if (desc == nullptr) return E_FAIL;
    desc->Version = program_version_;
    desc->Creator = parsed_.creator;
    desc->Flags = parsed_.compile_flags;
    desc->ConstantBuffers = static_cast<UINT>(parsed_.buffers.size());
    desc->BoundResources = parsed_.binding_count;
    return S_OK;
  }

  ID3D11ShaderReflectionConstantBuffer* GetConstantBufferByIndex(UINT index) override {
    return index < buffers_.size() ? &buffers_[index] : &placeholder_buffer_;
  }

  ID3D11ShaderReflectionConstantBuffer* GetConstantBufferByName(LPCSTR name) override {
    if (name == nullptr) return &placeholder_buffer_;
    for (std::size_t i = 0; i < parsed_.buffers.size(); ++i)
      if (std::strcmp(parsed_.buffers[i].name, name) == 0) return &buffers_[i];
    return &placeholder_buffer_;
  }

  const ParsedRdef& parsed() const { return parsed_; }
  BufferObject* buffer(UINT index) const { return &buffers_[index]; }
  VariableObject* variable(UINT index) const { return &variables_[index]; }
  TypeObject* own_type(UINT index) const { return &own_types_[index]; }
  TypeObject* member_type(UINT index) const { return &member_types_[index]; }
  BufferObject* placeholder_buffer() const { return &placeholder_buffer_; }
  ID3D11ShaderReflectionVariable* placeholder_variable() const { return &placeholder_variable_; }
  const ParsedVariable& parsed_variable(const VariableObject* object) const {
    return parsed_.variables[static_cast<std::size_t>(object - variables_.data())];
  }
  TypeObject* placeholder_type() const { return &placeholder_type_; }

 private:
  ~Reflection() = default;

  void MakeObjects() {
    buffers_.reserve(parsed_.buffers.size());
    for (const ParsedBuffer& b : parsed_.buffers) buffers_.emplace_back(this, &b);
    variables_.assign(parsed_.variables.size(), VariableObject(this));
    own_types_.reserve(parsed_.types.size());
    for (const ParsedType& t : parsed_.types) own_types_.emplace_back(this, &t, 0);
    member_types_.reserve(parsed_.members.size());
    for (const ParsedMember& m : parsed_.members)
      member_types_.emplace_back(this, &parsed_.types[m.type], m.offset);
  }

  const unsigned char* rdef_;  // the caller's bytes; names point into them
  std::size_t rdef_size_;
  UINT program_version_;
  ParsedRdef parsed_;
  UINT references_ = 1;
  // Queries hand out non-const pointers to objects that never change.
  mutable std::vector<BufferObject> buffers_;
  mutable std::vector<VariableObject> variables_;
  mutable std::vector<TypeObject> own_types_;     // by type index: a variable's type, Offset 0
  mutable std::vector<TypeObject> member_types_;  // by member index
  mutable BufferObject placeholder_buffer_;
  mutable PlaceholderVariable placeholder_variable_;
  mutable TypeObject placeholder_type_;
};

HRESULT TypeObject::GetDesc(D3D11_SHADER_TYPE_DESC* desc) {
  if (type_ == nullptr || desc == nullptr) return E_FAIL;
  desc->Class = static_cast<D3D_SHADER_VARIABLE_CLASS>(type_->variable_class);
  desc->Type = static_cast<D3D_SHADER_VARIABLE_TYPE>(type_->base_type);
  desc->Rows = type_->rows;
  desc->Columns = type_->columns;
  desc->Elements = type_->elements;
  desc->Members = type_->member_count;
  desc->Offset = offset_;
  desc->Name = type_->name;
  return S_OK;
}

ID3D11ShaderReflectionType* TypeObject::GetMemberTypeByIndex(UINT index) {
  if (type_ == nullptr || index >= type_->member_count) return owner_->placeholder_type();
  return owner_->member_type(type_->first_member + index);
}

LPCSTR TypeObject::GetMemberTypeName(UINT index) {
  if (type_ == nullptr) return "$Invalid";
  if (index >= type_->member_count) return nullptr;
  return owner_->parsed().members[type_->first_member + index].name;
}

const ParsedVariable& VariableObject::parsed() const { return owner_->parsed_variable(this); }

HRESULT VariableObject::GetDesc(D3D11_SHADER_VARIABLE_DESC* desc) {
  if (desc == nullptr) return E_FAIL;
  const VariableFields fields = ReadVariableFields(owner_->parsed(), parsed());
  desc->Name = fields.name;
  desc->StartOffset = fields.start_offset;
  desc->Size = fields.size;
  desc->uFlags = fields.flags;
  desc->DefaultValue = fields.default_value;
  desc->StartTexture = fields.start_texture;
  desc->TextureSize = fields.texture_size;
  desc->StartSampler = fields.start_sampler;
  desc->SamplerSize = fields.sampler_size;
  return S_OK;
}

ID3D11ShaderReflectionType* VariableObject::GetType() { return owner_->own_type(parsed().type); }

ID3D11ShaderReflectionConstantBuffer* VariableObject::GetBuffer() {
  return owner_->buffer(parsed().buffer);
}

ID3D11ShaderReflectionType* PlaceholderVariable::GetType() { return owner_->placeholder_type(); }

ID3D11ShaderReflectionConstantBuffer* PlaceholderVariable::GetBuffer() {
  return owner_->placeholder_buffer();
}

HRESULT BufferObject::GetDesc(D3D11_SHADER_BUFFER_DESC* desc) {
  if (buffer_ == nullptr || desc == nullptr) return E_FAIL;
  desc->Name = buffer_->name;
  desc->Type = static_cast<D3D_CBUFFER_TYPE>(buffer_->type);
  desc->Variables = buffer_->variable_count;
  desc->Size = buffer_->size;
  desc->uFlags = buffer_->flags;
  return S_OK;
}

ID3D11ShaderReflectionVariable* BufferObject::GetVariableByIndex(UINT index) {
  if (buffer_ == nullptr || index >= buffer_->variable_count) return owner_->placeholder_variable();
  return owner_->variable(buffer_->first_variable + index);
}

ID3D11ShaderReflectionVariable* BufferObject::GetVariableByName(LPCSTR name) {
  if (buffer_ == nullptr || name == nullptr) return owner_->placeholder_variable();
  for (UINT i = 0; i < buffer_->variable_count; ++i) {
    const ParsedVariable& variable = owner_->parsed().variables[buffer_->first_variable + i];
    if (std::strcmp(ReadVariableFields(owner_->parsed(), variable).name, name) == 0)
      return owner_->variable(buffer_->first_variable + i);
  }
  return owner_->placeholder_variable();
}

}  // namespace

HRESULT D3DReflectWithReason(LPCVOID data, SIZE_T size, REFIID iid, void** reflector,
                             std::string* reason) {
  if (reflector == nullptr) {
    Fail(reason, "no place was given for the reflection object");
    return E_INVALIDARG;
  }
  *reflector = nullptr;
  if (data == nullptr) {
    Fail(reason, "no shader bytes were given");
    return E_INVALIDARG;
  }
  const auto* bytes = static_cast<const unsigned char*>(data);
  ContainerChunks chunks;
  if (size < 32) {
    static_cast<void>(ParseContainer(bytes, size, &chunks, reason));  // only for its reason
    return E_INVALIDARG;
  }
  if (iid != IID_ID3D11ShaderReflection) {
    Fail(reason, "the interface asked for is not ID3D11ShaderReflection");
    return E_NOINTERFACE;
  }
  if (!ParseContainer(bytes, size, &chunks, reason)) return E_FAIL;
  auto* reflection = new Reflection(chunks);
  if (!reflection->Build(reason)) {
    reflection->Release();
    return E_FAIL;
  }
  *reflector = static_cast<ID3D11ShaderReflection*>(reflection);
  return S_OK;
}

HRESULT D3DReflect(LPCVOID data, SIZE_T size, REFIID iid, void** reflector) {
  return D3DReflectWithReason(data, size, iid, reflector, nullptr);
}

}  // namespace shader_reflection

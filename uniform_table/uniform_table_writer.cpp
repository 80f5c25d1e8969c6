#include "uniform_table_writer.h"

#include <charconv>
#include <cstdint>

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

// What the table makes of variable i: nothing (it cannot be fetched or
// described), an entry of `*kind`, or its end (a kind it cannot describe).
// The writer and the name check walk the buffer alike through this.
enum class Slot { kSkipped, kEntry, kUnknownKind };

Slot ReadSlot(shader_reflection::ID3D11ShaderReflectionConstantBuffer* constant_buffer,
              shader_reflection::UINT i, D3D11_SHADER_VARIABLE_DESC* desc, const char** kind) {
  ID3D11ShaderReflectionVariable* variable = constant_buffer->GetVariableByIndex(i);
  if (variable == nullptr || FAILED(variable->GetDesc(desc))) return Slot::kSkipped;
  *kind = UniformKind(variable);
  return *kind == nullptr ? Slot::kUnknownKind : Slot::kEntry;
}

bool FitsStringLiteral(unsigned char c) { return c >= 0x20 && c <= 0x7e && c != '"' && c != '\\'; }

// The name as a reader can see it: bytes that cannot stand as they are
// shown as \xNN.
std::string Printable(const char* name) {
  std::string text;
  for (const char* p = name; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (FitsStringLiteral(c)) {
      text += *p;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      text += escaped;
    }
  }
  return text;
}

// Entries are formatted by hand into one buffer and written in large
// pieces: a buffer may hold 16,384 variables, and one formatted print per
// entry cost more than the rest of the run together.
class EntryWriter {
 public:
  explicit EntryWriter(std::FILE* out) : out_(out) { text_.reserve(kFlushSize + 512); }

  void Append(const char* text) { text_ += text; }

  void AppendEntry(const char* name, const char* kind, shader_reflection::UINT offset,
                   shader_reflection::UINT size) {
    AppendLiteral("\t{ \"");
    text_ += name;
    AppendLiteral("\", \tQEX::CAPI::D3D_NS::ShaderBase::");
    text_ += kind;
    AppendLiteral(", ");
    AppendSigned(offset);
    AppendLiteral(", ");
    AppendSigned(size);
    AppendLiteral(" },\n");
    if (text_.size() >= kFlushSize) Flush();
  }

  void Flush() {
    if (!text_.empty()) std::fwrite(text_.data(), 1, text_.size(), out_);
    text_.clear();
  }

 private:
  static constexpr std::size_t kFlushSize = 64 * 1024;

  template <std::size_t N>
  void AppendLiteral(const char (&text)[N]) {
    text_.append(text, N - 1);
  }

  // As "%d" prints the 32-bit value: signed decimal.
  void AppendSigned(shader_reflection::UINT value) {
    char digits[16];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, static_cast<std::int32_t>(value)).ptr;
    text_.append(digits, end);
  }

  std::FILE* out_;
  std::string text_;
};

// The flush, the stream's error state and the result of closing all count:
// a full disk often shows only when the buffer is flushed, and some C run
// times report success from fclose even when its own final flush failed.
UniformTableOutcome CloseStream(std::FILE* out, UniformTableOutcome done) {
  const bool flush_failed = std::fflush(out) != 0;
  const bool write_failed = std::ferror(out) != 0;
  const bool close_failed = std::fclose(out) != 0;
  return (flush_failed || write_failed || close_failed) ? UniformTableOutcome::kWriteFailed : done;
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

  EntryWriter writer(out);
  writer.Append("#ifndef ");
  writer.Append(name);
  writer.Append("\n\nconst QEX::CAPI::D3D_NS::ShaderBase::Uniform ");
  writer.Append(name);
  writer.Append("[] =\n{\n");
  for (shader_reflection::UINT i = 0; i < buffer_desc.Variables; ++i) {
    D3D11_SHADER_VARIABLE_DESC variable_desc{};
    const char* kind = nullptr;
    const Slot slot = ReadSlot(constant_buffer, i, &variable_desc, &kind);
    if (slot == Slot::kSkipped) continue;
    if (slot == Slot::kUnknownKind) {
      writer.Flush();
      std::fprintf(console, "Unknown variable type for variable: '%s' used in shader '%s'",
                   variable_desc.Name, input_path);
      return UniformTableOutcome::kUnknownVariableType;
    }
    writer.AppendEntry(variable_desc.Name, kind, variable_desc.StartOffset, variable_desc.Size);
  }
  writer.Append("};\n\n#endif\n");
  writer.Flush();
  return CloseStream(out, UniformTableOutcome::kTableWritten);
}

bool NamesFitStringLiterals(
    shader_reflection::ID3D11ShaderReflectionConstantBuffer* constant_buffer,
    std::string* problem) {
  D3D11_SHADER_BUFFER_DESC buffer_desc{};
  if (FAILED(constant_buffer->GetDesc(&buffer_desc))) return true;
  for (shader_reflection::UINT i = 0; i < buffer_desc.Variables; ++i) {
    D3D11_SHADER_VARIABLE_DESC variable_desc{};
    const char* kind = nullptr;
    const Slot slot = ReadSlot(constant_buffer, i, &variable_desc, &kind);
    if (slot == Slot::kSkipped) continue;
    if (slot == Slot::kUnknownKind) return true;  // the table ends here
    for (const char* p = variable_desc.Name; *p != '\0'; ++p) {
      const auto c = static_cast<unsigned char>(*p);
      if (FitsStringLiteral(c)) continue;
      char where[96];
      std::snprintf(where, sizeof where, "the name of variable %u, '", i);
      char what[48];
      std::snprintf(what, sizeof what, "', holds byte 0x%02x", c);
      *problem = where + Printable(variable_desc.Name) + what;
      return false;
    }
  }
  return true;
}

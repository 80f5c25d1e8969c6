// The record type the generated headers name; it belongs to the code that
// includes them, not to Quorvane.
#ifndef QUORVANE_CONSUMER_SHADER_BASE_H
#define QUORVANE_CONSUMER_SHADER_BASE_H

#include <cstddef>
#include <cstdio>

namespace QEX {
namespace CAPI {
namespace D3D_NS {
class ShaderBase {
 public:
  enum VarType { VARTYPE_FLOAT, VARTYPE_BOOL };
  struct Uniform {
    const char* name;
    VarType type;
    int offset;
    int size;
  };
};
}  // namespace D3D_NS
}  // namespace CAPI
}  // namespace QEX

// Prints a table as "name float|bool offset size" lines.
template <std::size_t N>
void PrintTable(const QEX::CAPI::D3D_NS::ShaderBase::Uniform (&table)[N]) {
  for (const auto& uniform : table) {
    std::printf("%s %s %d %d\n", uniform.name,
                uniform.type == QEX::CAPI::D3D_NS::ShaderBase::VARTYPE_BOOL ? "bool" : "float",
                uniform.offset, uniform.size);
  }
}

#endif  // QUORVANE_CONSUMER_SHADER_BASE_H

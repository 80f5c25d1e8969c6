// Prints the table that quorvane_target_uniform_tables() made for the shader.
#include <cstdio>

// The record type the generated header names; it belongs to the code that
// includes the header.
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

#include "simple_ps_refl.h"

int main() {
  for (const auto& uniform : simple_ps_refl) {
    std::printf("%s %s %d %d\n", uniform.name,
                uniform.type == QEX::CAPI::D3D_NS::ShaderBase::VARTYPE_BOOL ? "bool" : "float",
                uniform.offset, uniform.size);
  }
  return 0;
}

// Prints the table that quorvane_target_uniform_tables() made for the shader.
#include "shader_base.h"
#include "simple_ps_refl.h"

int main() {
  PrintTable(simple_ps_refl);
  return 0;
}

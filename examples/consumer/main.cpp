// Prints the uniform table of the shader, as the engine would see it.
#include "shader_base.h"
#include "shader_refl.h"

int Unrelated();

int main() {
  PrintTable(shader_refl);
  return Unrelated();
}

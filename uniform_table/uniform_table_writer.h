// Writes the header that describes a shader's first constant buffer: a
// guard line and a constant array of Uniform records, one per float or bool
// variable.
#ifndef QUORVANE_UNIFORM_TABLE_WRITER_H
#define QUORVANE_UNIFORM_TABLE_WRITER_H

#include <cstdio>
#include <string>

#include "shader_reflection/d3d11_shader_reflection.h"

enum class UniformTableOutcome {
  kTableWritten,         // complete header written; stream closed
  kNoConstantBuffer,     // the one-line comment written; stream closed
  kUnknownVariableType,  // stopped at a variable that is neither float nor bool; stream left open
  kWriteFailed,          // the header or comment could not be written or closed; stream closed
};

// Prints the content messages ("Did not get a constant buffer ...",
// "Unknown variable type ...") on `console`, standard output for the tool;
// the caller prints the rest.
UniformTableOutcome WriteUniformTable(
    shader_reflection::ID3D11ShaderReflectionConstantBuffer* constant_buffer, std::FILE* out,
    const std::string& table_name, const char* input_path, std::FILE* console = stdout);

// The header writes variable names between double quotes as they are; a
// quote, a backslash or a byte outside printable ASCII would change the
// text around them. Looks at the names WriteUniformTable would write and,
// for the first it cannot, returns false and says which in *problem
// ("the name of variable 2, 'a\x22b', holds byte 0x22"). Called before the
// header is opened, so such a shader leaves the output untouched.
bool NamesFitStringLiterals(
    shader_reflection::ID3D11ShaderReflectionConstantBuffer* constant_buffer, std::string* problem);

#endif  // QUORVANE_UNIFORM_TABLE_WRITER_H

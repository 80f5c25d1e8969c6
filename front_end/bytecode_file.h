// Reads a compiled shader file whole into memory.
#ifndef QUORVANE_BYTECODE_FILE_H
#define QUORVANE_BYTECODE_FILE_H

#include <cstddef>
#include <memory>

// The file's bytes in a block one byte longer than the file, whose last byte
// is 0, and the number of bytes read.
struct BytecodeBuffer {
  std::unique_ptr<unsigned char[]> bytes;
  std::size_t count = 0;
};

// Returns 0 when the whole file was read, 1 otherwise, after printing
// "ERROR: File not found: ..." or "ERROR: Could not read file" on standard
// output; an empty file fails without a message. Files that cannot be
// measured by seeking (pipes) are read to their end.
int LoadBytecodeFile(const char* path, BytecodeBuffer* buffer);

#endif  // QUORVANE_BYTECODE_FILE_H

// Reads a compiled shader file whole into memory.
#ifndef QUORVANE_BYTECODE_FILE_H
#define QUORVANE_BYTECODE_FILE_H

#include <cstddef>
#include <cstdlib>
#include <memory>

struct FreeBlock {
  void operator()(unsigned char* block) const { std::free(block); }
};

// The file's bytes in a block one byte longer than the file, whose last byte
// is 0, and the number of bytes read. The block comes from malloc so that a
// stream of unknown length can grow it in place.
struct BytecodeBuffer {
  std::unique_ptr<unsigned char, FreeBlock> bytes;
  std::size_t count = 0;
};

// No compiled shader comes near this (the largest of thousands of real ones
// is under 1 MiB); a larger file or stream is refused before it costs more.
constexpr std::size_t kMaxBytecodeSize = std::size_t{256} << 20;

// Returns 0 when the whole file was read, 1 otherwise, after printing
// "ERROR: File not found: ...", "ERROR: Could not read file", "ERROR: File
// is larger than ..." or "ERROR: Not enough memory ..." on standard output;
// an empty file fails without a message. Files that cannot be measured by
// seeking (pipes, devices) are read to their end or to the size limit.
int LoadBytecodeFile(const char* path, BytecodeBuffer* buffer);

#endif  // QUORVANE_BYTECODE_FILE_H

// Test support: everything the tool could do with a file, for inputs that
// may be hostile. Reflects the bytes and, when that succeeds, reads every
// buffer, variable and type (struct members included) and writes the table
// of every buffer to memory.
#ifndef QUORVANE_TESTS_REFLECTION_WALK_H
#define QUORVANE_TESTS_REFLECTION_WALK_H

#include <cstddef>
#include <string>

struct WalkResult {
  bool reflected = false;
  std::string reason;  // why reflection failed
};

WalkResult WalkReflection(const unsigned char* data, std::size_t size);

#endif  // QUORVANE_TESTS_REFLECTION_WALK_H

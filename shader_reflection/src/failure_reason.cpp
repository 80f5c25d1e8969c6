#include "failure_reason.h"

#include <cstdarg>
#include <cstdio>

namespace shader_reflection {

bool Fail(std::string* reason, const char* format, ...) {
  if (reason == nullptr) return false;
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  *reason = text;
  return false;
}

}  // namespace shader_reflection

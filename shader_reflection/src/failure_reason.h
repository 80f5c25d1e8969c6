// Failure reasons: printf-style text stored for the caller, and false, so a
// check reads `if (bad) return Fail(reason, "...", ...);`.
#ifndef SHADER_REFLECTION_FAILURE_REASON_H
#define SHADER_REFLECTION_FAILURE_REASON_H

#include <string>

namespace shader_reflection {

#if defined(__MINGW32__)
// mingw builds use its C99 printf (see the toolchain file), not msvcrt's.
__attribute__((format(gnu_printf, 2, 3)))
#elif defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
bool Fail(std::string* reason, const char* format, ...);

}  // namespace shader_reflection

#endif  // SHADER_REFLECTION_FAILURE_REASON_H

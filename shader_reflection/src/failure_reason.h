// Failure reasons: printf-style text stored for the caller, and false, so a
// check reads `if (bad) return Fail(reason, "...", ...);`.
#ifndef SHADER_REFLECTION_FAILURE_REASON_H
#define SHADER_REFLECTION_FAILURE_REASON_H

#include <string>

namespace shader_reflection {

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
bool Fail(std::string* reason, const char* format, ...);

}  // namespace shader_reflection

#endif  // SHADER_REFLECTION_FAILURE_REASON_H

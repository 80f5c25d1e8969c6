// Opening files with the sharing the tool promises on Windows: others may
// read the shader while it is read but not change it, and no one else may
// touch the header while it is written. Other systems have no share modes.
#ifndef QUORVANE_SHARED_FILE_OPEN_H
#define QUORVANE_SHARED_FILE_OPEN_H

#include <cstdio>

#ifdef _WIN32
#include <share.h>
#endif

inline std::FILE* OpenForReadingDenyWriters(const char* path) {
#ifdef _WIN32
  return _fsopen(path, "rb", _SH_DENYWR);
#else
  return std::fopen(path, "rb");
#endif
}

inline std::FILE* OpenForWritingExclusively(const char* path) {
#ifdef _WIN32
  return _fsopen(path, "w+", _SH_DENYRW);
#else
  return std::fopen(path, "w+");
#endif
}

#endif  // QUORVANE_SHARED_FILE_OPEN_H

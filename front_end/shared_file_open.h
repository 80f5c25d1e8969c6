// Opening files with the sharing the tool promises: others may read the
// shader while it is read but not change it, and no other run may touch the
// header while it is written.
#ifndef QUORVANE_SHARED_FILE_OPEN_H
#define QUORVANE_SHARED_FILE_OPEN_H

#include <cstdio>

// "rb"; on Windows other openers may read but not write meanwhile.
std::FILE* OpenForReadingDenyWriters(const char* path);

// "w+", created or cut to length zero, held for this process alone until
// the stream is closed. On Windows a share mode denies every other opener;
// elsewhere the file is first opened uncut and locked (an exclusive flock),
// and only cut once the lock is held, so a second run refused the lock
// leaves the first run's file as it is. Null when the file cannot be
// opened or another run holds it.
std::FILE* OpenForWritingExclusively(const char* path);

// Renames `from` to `to`, replacing `to` if it exists, in one step where
// the file system allows it.
bool ReplaceWith(const char* from, const char* to);

// Opens the null device on any of descriptors 0, 1 and 2 that is closed,
// so that no file the run opens takes the place of a console stream.
// False when that cannot be done.
bool FillClosedStandardDescriptors();

#endif  // QUORVANE_SHARED_FILE_OPEN_H

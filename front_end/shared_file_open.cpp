#include "shared_file_open.h"

#ifdef _WIN32
#include <share.h>
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32

std::FILE* OpenForReadingDenyWriters(const char* path) { return _fsopen(path, "rb", _SH_DENYWR); }

std::FILE* OpenForWritingExclusively(const char* path) { return _fsopen(path, "w+", _SH_DENYRW); }

bool ReplaceWith(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

// The console handles of a Windows process are not numbered descriptors
// that a file can take over.
bool FillClosedStandardDescriptors() { return true; }

#else

std::FILE* OpenForReadingDenyWriters(const char* path) { return std::fopen(path, "rb"); }

namespace {

// flock rather than fcntl locks: an flock belongs to the open file, so it
// lasts exactly as long as the stream and no other descriptor of the process
// can drop it; Linux and macOS both have it, and on NFS Linux maps it onto
// fcntl locks. File systems that have no locks at all (EINVAL, ENOLCK,
// EOPNOTSUPP) are written without one rather than refused.
bool LockOrNoLocks(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  return errno != EWOULDBLOCK && errno != EINTR;
}

// Only regular files have a length to cut; a device or a FIFO is written
// as it is, as "w+" would.
bool CutToZero(int fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0) return false;
  return !S_ISREG(status.st_mode) || ftruncate(fd, 0) == 0;
}

}  // namespace

std::FILE* OpenForWritingExclusively(const char* path) {
  const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  if (!LockOrNoLocks(fd) || !CutToZero(fd)) {
    close(fd);
    return nullptr;
  }
  std::FILE* out = fdopen(fd, "w+");
  if (out == nullptr) close(fd);
  return out;
}

bool ReplaceWith(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool FillClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open takes the lowest free descriptor, which is this one.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd) {
      if (opened >= 0) close(opened);
      return false;
    }
  }
  return true;
}

#endif

#include "bytecode_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "shared_file_open.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// The stream's length by seeking, or -1 when it cannot seek.
std::int64_t MeasureBySeeking(std::FILE* in) {
#ifdef _WIN32
  if (_fseeki64(in, 0, SEEK_END) != 0) return -1;
  const std::int64_t length = _ftelli64(in);
  if (length < 0 || _fseeki64(in, 0, SEEK_SET) != 0) return -1;
#else
  if (std::fseek(in, 0, SEEK_END) != 0) return -1;
  const std::int64_t length = std::ftell(in);
  if (length < 0 || std::fseek(in, 0, SEEK_SET) != 0) return -1;
#endif
  return length;
}

// Asks the kernel to map a fresh block's pages in one call instead of one
// page fault at a time while the read fills it: on virtual machines a fault
// costs about 10 us, a third of a large shader's run. Only a hint; nothing
// depends on it working.
void PrefaultBlock(unsigned char* block, std::size_t size) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  constexpr std::size_t kWorthIt = 256 * 1024;
  constexpr std::uintptr_t kPage = 4096;
  if (size < kWorthIt) return;
  const auto start = reinterpret_cast<std::uintptr_t>(block) & ~(kPage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(block) + size + kPage - 1) & ~(kPage - 1);
  madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
  (void)block;
  (void)size;
#endif
}

int Close(std::FILE* in, int status) {
  std::fclose(in);
  return status;
}

int ReportReadFailure(std::FILE* in) {
  std::printf("ERROR: Could not read file\n");
  return Close(in, 1);
}

int ReportTooLarge(std::FILE* in, const char* path) {
  std::printf("ERROR: File is larger than the %zu MiB a compiled shader may have: %s\n",
              kMaxBytecodeSize >> 20, path);
  return Close(in, 1);
}

int ReportNoMemory(std::FILE* in, const char* path, std::size_t size) {
  std::printf("ERROR: Not enough memory to read %zu bytes of file: %s\n", size, path);
  return Close(in, 1);
}

// Grows the block to `capacity` bytes in place where the allocator can
// (glibc moves large blocks by remapping pages, not by copying them).
bool Grow(BytecodeBuffer* buffer, std::size_t capacity) {
  void* grown = std::realloc(buffer->bytes.get(), capacity);
  if (grown == nullptr) return false;
  (void)buffer->bytes.release();
  buffer->bytes.reset(static_cast<unsigned char*>(grown));
  return true;
}

// Pipes, devices, and files that report a length of zero but have contents:
// read into one block that doubles as it fills, up to one byte past the
// limit, which tells a stream at the limit from one beyond it.
int ReadStream(std::FILE* in, const char* path, BytecodeBuffer* buffer) {
  constexpr std::size_t kFirstCapacity = 64 * 1024;
  constexpr std::size_t kMaxCapacity = kMaxBytecodeSize + 1;
  std::size_t capacity = 0;
  std::size_t count = 0;
  for (;;) {
    if (count == capacity) {
      if (capacity == kMaxCapacity) return ReportTooLarge(in, path);
      const std::size_t wanted =
          capacity == 0 ? kFirstCapacity : std::min(2 * capacity, kMaxCapacity);
      if (!Grow(buffer, wanted)) return ReportNoMemory(in, path, wanted);
      PrefaultBlock(buffer->bytes.get() + capacity, wanted - capacity);
      capacity = wanted;
    }
    const std::size_t got = std::fread(buffer->bytes.get() + count, 1, capacity - count, in);
    count += got;
    buffer->count = count;
    if (got == 0) break;
  }
  if (std::ferror(in)) return ReportReadFailure(in);
  if (count == 0) return Close(in, 1);
  if (count == capacity && !Grow(buffer, count + 1)) return ReportNoMemory(in, path, count + 1);
  buffer->bytes.get()[count] = 0;
  return Close(in, 0);
}

}  // namespace

int LoadBytecodeFile(const char* path, BytecodeBuffer* buffer) {
  std::FILE* in = OpenForReadingDenyWriters(path);
  if (in == nullptr) {
    std::printf("ERROR: File not found: %s\n", path);
    return 1;
  }
  // Unbuffered: the whole file goes straight into the block in one read,
  // and measuring does not read a buffer's worth first.
  std::setvbuf(in, nullptr, _IONBF, 0);
  const std::int64_t length = MeasureBySeeking(in);
  if (length <= 0) return ReadStream(in, path, buffer);
  if (static_cast<std::uint64_t>(length) > kMaxBytecodeSize) return ReportTooLarge(in, path);

  const auto size = static_cast<std::size_t>(length);
  buffer->bytes.reset(static_cast<unsigned char*>(std::malloc(size + 1)));
  if (buffer->bytes == nullptr) return ReportNoMemory(in, path, size + 1);
  PrefaultBlock(buffer->bytes.get(), size + 1);
  buffer->count = std::fread(buffer->bytes.get(), 1, size, in);
  if (buffer->count != size) return ReportReadFailure(in);
  buffer->bytes.get()[size] = 0;
  return Close(in, 0);
}

#include "bytecode_file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "shared_file_open.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// The length must fit the signed 32-bit count the rest of the run uses.
constexpr std::int64_t kMaxInputSize = INT64_C(0x7fffffff);

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

int ReportReadFailure(std::FILE* in) {
  std::printf("ERROR: Could not read file\n");
  std::fclose(in);
  return 1;
}

// Pipes, and files that report a length of zero but have contents.
int ReadToEnd(std::FILE* in, BytecodeBuffer* buffer) {
  std::vector<unsigned char> bytes;
  unsigned char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
    if (static_cast<std::int64_t>(bytes.size() + got) > kMaxInputSize) return ReportReadFailure(in);
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (std::ferror(in)) return ReportReadFailure(in);
  std::fclose(in);
  if (bytes.empty()) return 1;
  buffer->bytes.reset(new unsigned char[bytes.size() + 1]);
  std::memcpy(buffer->bytes.get(), bytes.data(), bytes.size());
  buffer->bytes[bytes.size()] = 0;
  buffer->count = bytes.size();
  return 0;
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
  if (length <= 0) return ReadToEnd(in, buffer);
  if (length > kMaxInputSize) return ReportReadFailure(in);

  const auto size = static_cast<std::size_t>(length);
  buffer->bytes.reset(new unsigned char[size + 1]);
  PrefaultBlock(buffer->bytes.get(), size + 1);
  buffer->count = std::fread(buffer->bytes.get(), 1, size, in);
  if (buffer->count != size) return ReportReadFailure(in);
  buffer->bytes[size] = 0;
  std::fclose(in);
  return 0;
}

// Holds a file open the way another Windows program would, runs a command
// while it is held, and returns the command's exit status. Used by the
// end-to-end tests under Wine to check the tool's share modes.
//   hold_open.exe <read|write> <file> <program> [arguments...]
//   read:  reading, others may read but not write (a viewer or a copier)
//   write: writing, others may read and write (an editor saving the file)
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string QuoteArgument(const std::string& argument) { return "\"" + argument + "\""; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: hold_open <read|write> <file> <program> [arguments...]\n");
    return 2;
  }
  const bool writing = std::string(argv[1]) == "write";
  HANDLE held = CreateFileA(argv[2], writing ? GENERIC_WRITE : GENERIC_READ,
                            writing ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot hold %s open\n", argv[2]);
    return 2;
  }
  std::string command = QuoteArgument(argv[3]);
  for (int i = 4; i < argc; ++i) command += " " + QuoteArgument(argv[i]);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "cannot start %s\n", argv[3]);
    return 2;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 2;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(held);
  return static_cast<int>(status);
}

// read-command-line NAME: prints the command line of every running process
// whose program is NAME, as another process reads it: from the process's
// parameter block, where Windows keeps it for task managers and WMI.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>
// clang-format on

#include <cstdio>
#include <string>

namespace {

template <typename T>
bool Read(HANDLE process, const void* at, T& value) {
  SIZE_T read = 0;
  return ReadProcessMemory(process, at, &value, sizeof value, &read) && read == sizeof value;
}

std::wstring CommandLine(DWORD id) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (process == nullptr) return L"(cannot open the process)";
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  std::wstring line;
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) ==
          0 &&
      Read(process, basic.PebBaseAddress, peb) &&
      Read(process, peb.ProcessParameters, parameters)) {
    line.resize(parameters.CommandLine.Length / sizeof(wchar_t));
    SIZE_T read = 0;
    ReadProcessMemory(process, parameters.CommandLine.Buffer, line.data(),
                      parameters.CommandLine.Length, &read);
  }
  CloseHandle(process);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 64;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, argv[1]) == 0) {
      std::printf("%ls\n", CommandLine(entry.th32ProcessID).c_str());
    }
  }
  CloseHandle(snapshot);
  return 0;
}

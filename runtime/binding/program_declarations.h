// The program's own declared system functions, by position in its declaration table.
#pragma once

#include <array>
#include <cstddef>

#include "runtime/binding/declared_function.h"
#include "runtime/platform/system_function.h"

namespace lq {

enum class DeclaredFunctionId : std::size_t {
  kInternetOpenA = 0,
  kInternetCloseHandle = 1,
  kInternetConnectA = 2,
  kHttpOpenRequestA = 3,
  kHttpSendRequestText = 4,   // HttpSendRequestA with a text body
  kHttpSendRequestBytes = 5,  // HttpSendRequestA with a byte-set body
  kInternetReadFile = 6,
  kHttpQueryInfoA = 7,
  kMultiByteToWideChar = 8,
  kWideCharToMultiByte = 9,
  kLstrlenA = 10,
  kGetProcessHeap = 11,
  kHeapAlloc = 12,
  kGetCurrentProcessId = 13,
  kCreateToolhelp32Snapshot = 14,  // the process list
  kProcess32Next = 15,
  kCloseSnapshotHandle = 16,  // CloseHandle of "kernel32"
  kCreateMutexA = 17,
  kWaitForSingleObject = 18,
  kReleaseMutex = 19,
  kCloseMutexHandle = 20,  // CloseHandle of "kernel32.dll"
  kCreateThread = 21,
  kOpenFileMappingA = 22,
  kMapViewOfFile = 23,
  kRtlMoveMemory = 24,
  kCloseMappingHandle = 25,    // CloseHandle, searched in the system libraries
  kCreateModuleSnapshot = 26,  // CreateToolhelp32Snapshot for a process's module list
  kModule32First = 27,
};

inline constexpr std::array<DeclaredFunction, 28> kProgramDeclarations = {{
    {"wininet.dll", "InternetOpenA"},
    {"wininet.dll", "InternetCloseHandle"},
    {"wininet.dll", "InternetConnectA"},
    {"wininet.dll", "HttpOpenRequestA"},
    {"wininet.dll", "HttpSendRequestA"},
    {"wininet.dll", "HttpSendRequestA"},
    {"wininet.dll", "InternetReadFile"},
    {"wininet.dll", "HttpQueryInfoA"},
    {"", "MultiByteToWideChar"},
    {"kernel32.dll", "WideCharToMultiByte"},
    {"", "lstrlenA"},
    {"", "GetProcessHeap"},
    {"", "HeapAlloc"},
    {"kernel32.dll", "GetCurrentProcessId"},
    {"", "CreateToolhelp32Snapshot"},
    {"", "Process32Next"},
    {"kernel32", "CloseHandle"},
    {"kernel32.dll", "CreateMutexA"},
    {"kernel32.dll", "WaitForSingleObject"},
    {"kernel32.dll", "ReleaseMutex"},
    {"kernel32.dll", "CloseHandle"},
    {"", "CreateThread"},
    {"", "OpenFileMappingA"},
    {"", "MapViewOfFile"},
    {"", "RtlMoveMemory"},
    {"", "CloseHandle"},
    {"", "CreateToolhelp32Snapshot"},
    {"", "Module32First"},
}};

// The entry as a lookup for the platform routines that the program reaches through its declared
// functions (runtime/platform/system_function.h): it binds the entry at its first use, and a
// failure is the fatal report. Natively, where nothing is declared, there is none, and those
// routines call the platform's own.
FunctionLookup DeclaredLookup(DeclaredFunctionId id);

}  // namespace lq

#include <windows.h>

#include <initializer_list>

#include "diag/CrashReport.h"
#include "diag/ErrorLog.h"
#include "sys/SystemInfo.h"

// imagehlp's module enumeration; MinGW's headers leave it undeclared.
typedef BOOL(CALLBACK* LoadedModuleCallback)(PCSTR name, ULONG base, ULONG size, PVOID context);
extern "C" BOOL WINAPI EnumerateLoadedModules(HANDLE process, LoadedModuleCallback callback,
                                              PVOID context);

namespace {

constexpr UINT kCrashErrorMode = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX |
                                 SEM_NOOPENFILEERRORBOX;  // 0x8003
constexpr DWORD kCodeBytesBefore = 16;
constexpr DWORD kCodeBytes = 32;
constexpr DWORD kStackValues = 16;

UINT savedErrorMode = 0;
bool moduleListStarted = false;

const char* ExceptionName(DWORD code) {
  switch (code) {
    case EXCEPTION_SINGLE_STEP: return "Critical error (In Debugger)";
    case EXCEPTION_ACCESS_VIOLATION: return "Access violation";
    case EXCEPTION_INVALID_HANDLE: return "Invalid Handle";
    case EXCEPTION_NONCONTINUABLE_EXCEPTION: return "Critical error non continue";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "Array of bounds";
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "Devide FLOAT by zero";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "Devide INT by zero";
    case EXCEPTION_INT_OVERFLOW: return "Integer overflow";
    case EXCEPTION_PRIV_INSTRUCTION: return "Privileged instruction";
    case EXCEPTION_STACK_OVERFLOW: return "Stack overflow";
    default: return nullptr;
  }
}

// Reads up to size bytes of our own memory from address; returns how many
// leading bytes could be read. A read across into an unmapped page fails as
// a whole, so then the readable prefix is found byte by byte.
DWORD ReadOwnMemory(DWORD address, BYTE* buffer, DWORD size) {
  HANDLE process = GetCurrentProcess();
  SIZE_T read = 0;
  const void* from = reinterpret_cast<const void*>(static_cast<uintptr_t>(address));
  if (ReadProcessMemory(process, from, buffer, size, &read) && read == size) return size;
  DWORD count = 0;
  while (count < size) {
    const void* at = reinterpret_cast<const void*>(static_cast<uintptr_t>(address + count));
    if (!ReadProcessMemory(process, at, buffer + count, 1, &read) || read != 1) break;
    ++count;
  }
  return count;
}

void WriteCodeBytes(const CONTEXT& context) {
  BYTE bytes[kCodeBytes];
  DWORD start = context.Eip - kCodeBytesBefore;
  DWORD count = ReadOwnMemory(start, bytes, kCodeBytes);
  LogMessage("Byte's at address CS:EIP = %0.4X:%0.8X", context.SegCs, context.Eip);
  for (DWORD offset = 0; offset < count; offset += 4) {
    TextString line;
    if (offset == kCodeBytesBefore)
      line.Format("0x%0.8X: - >", context.Eip);
    else
      line.Format("0x%0.8X:    ", start + offset);
    for (DWORD i = offset; i < offset + 4 && i < count; ++i)
      line.Append(TextString::FormatTemp("%0.2X", bytes[i]));
    line.Append("\r\n");
    LogRaw("%s", line.Text());
  }
  LogRaw("\r\n");
}

void WriteStack(const CONTEXT& context) {
  DWORD values[kStackValues];
  DWORD count = ReadOwnMemory(context.Esp, reinterpret_cast<BYTE*>(values), sizeof values) / 4;
  LogMessage("Stack data \t  SS:ESP = %0.4X:%0.8X", context.SegSs, context.Esp);
  for (DWORD i = 0; i < count; ++i) {
    LogRaw("%0.8X ", values[i]);
    if (i % 4 == 3) LogRaw("\r\n");
  }
  LogRaw("\r\n");
}

BOOL CALLBACK LogLoadedModule(PCSTR name, ULONG base, ULONG, PVOID) {
  // The first module reported is the program's own image.
  if (!moduleListStarted) {
    moduleListStarted = true;
    return TRUE;
  }
  LogMessage("%s \tbase: 0x%0.8X", name, base);
  return TRUE;
}

}  // namespace

void InstallCrashHandler() {
  savedErrorMode = SetErrorMode(kCrashErrorMode);
  SetUnhandledExceptionFilter(MyExceptionsHandler);
}

void RestoreErrorMode() { SetErrorMode(savedErrorMode); }

long __stdcall MyExceptionsHandler(_EXCEPTION_POINTERS* pointers) {
  sys::LocalTime now = sys::CurrentSystemInfo().Now();
  LogMessage("Time of exception: %0.2d:%0.2d:%0.2d", now.hour, now.minute, now.second);
  if (!pointers) {
    LogMessage("Fatal Error in MyExceptionsHandler");
    FatalExit(3);
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  // A record the platform left out is reported as code 0 rather than read.
  DWORD code = pointers->ExceptionRecord ? pointers->ExceptionRecord->ExceptionCode : 0;
  if (!pointers->ContextRecord) return EXCEPTION_EXECUTE_HANDLER;
  CONTEXT context = *pointers->ContextRecord;
  // Selectors are 16 bits; the record's upper halves are not defined.
  for (DWORD* selector : {&context.SegCs, &context.SegSs, &context.SegDs, &context.SegEs,
                          &context.SegFs, &context.SegGs})
    *selector &= 0xFFFF;

  LogRaw("Type exception: ");
  if (const char* name = ExceptionName(code))
    LogMessage("%s", name);
  else
    LogMessage("CODE 0x%0.8X", code);

  LogMessage(
      "\r\nRegisters:\t\r\n"
      "EAX: 0x%0.8X CS: 0x%0.4X EIP: 0x%0.8X EFLGS: 0x%0.8X\t\r\n"
      "EBX: 0x%0.8X SS: 0x%0.4X ESP: 0x%0.8X   EBP: 0x%0.8X\t\r\n"
      "EC_X: 0x%0.8X DS: 0x%0.4X ESI: 0x%0.8X    FS: 0x%0.8X\t\r\n"
      "EDX: 0x%0.8X ES: 0x%0.4X EDI: 0x%0.8X    GS: 0x%0.8X\r\n",
      context.Eax, context.SegCs, context.Eip, context.EFlags, context.Ebx, context.SegSs,
      context.Esp, context.Ebp, context.Ecx, context.SegDs, context.Esi, context.SegFs,
      context.Edx, context.SegEs, context.Edi, context.SegGs);

  WriteCodeBytes(context);
  WriteStack(context);

  LogMessage("Load module's:");
  EnumerateLoadedModules(GetCurrentProcess(), LogLoadedModule, nullptr);
  return EXCEPTION_EXECUTE_HANDLER;
}

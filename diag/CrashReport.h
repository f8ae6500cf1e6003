#pragma once
// The crash report: an unhandled fault on any thread is written to
// "Error.log" (time, kind, registers, code bytes around EIP, top of the
// stack, loaded modules) and the process ends without the system's fault
// dialog. Windows only.

struct _EXCEPTION_POINTERS;

// Sets the error mode to 0x8003 (keeping the one in force before) and makes
// MyExceptionsHandler the unhandled-exception filter.
void InstallCrashHandler();
// Puts back the error mode kept by InstallCrashHandler. The filter stays.
void RestoreErrorMode();
// The filter itself: writes the report and returns EXCEPTION_EXECUTE_HANDLER.
long __stdcall MyExceptionsHandler(_EXCEPTION_POINTERS* pointers);

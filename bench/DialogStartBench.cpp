// How long the dialog's Start takes under Wine against the simulated phone:
// Quavrel.exe is started, Start pressed, and the time taken until the
// status line says the melodies are written. Run by dialog-start.sh, which
// wires COM1 to "quavrel phone-sim".
//
//   dialog_start_bench.exe [RUNS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/ui/ProgramDriver.h"
#include "texts/ControlIds.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string written = "Мелодии записаны. Нажмите Power Off.";
  char folder[MAX_PATH] = {};
  GetTempPathA(sizeof folder, folder);
  int failures = 0;
  for (int run = 1; run <= runs; ++run) {
    ProgramDriver program(folder);
    if (!program.Started()) {
      std::fprintf(stderr, "Quavrel.exe did not start\n");
      return 1;
    }
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    program.Click(IDC_START);
    const bool done = WaitFor([&] { return program.Text(IDC_STATUS) == written; }, 60000);
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * (end.QuadPart - begin.QuadPart) / frequency.QuadPart;
    std::printf("run %d: Start to \"written\" %.1f ms%s\n", run, ms, done ? "" : "  [NOT WRITTEN]");
    failures += !done;
    program.Click(IDCANCEL);
    program.WaitForExit();
  }
  return failures ? 1 : 0;
}

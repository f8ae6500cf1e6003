// Uploads a full block image to "quavrel phone-sim" over a pseudo-terminal
// and sets the wall time beside the time that the protocol's own time-outs
// impose on that exchange: every read that ends short of the bytes it asked
// for has waited its whole read time-out, and every pause is a Sleep. What
// is left over is what this program adds.
//
//   upload_bench [--quavrel PATH] [--runs N]
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "link/PhoneJobs.h"
#include "sys/Clock.h"
#include "sys/Serial.h"

namespace {

// Sums what the protocol makes the program wait: reads that ran into their
// time-out, by time-out, and pauses.
struct ImposedTime {
  std::map<uint32_t, int> shortReads;  // read time-out -> reads that waited it out
  uint64_t sleptMs = 0;

  uint64_t TotalMs() const {
    uint64_t total = sleptMs;
    for (const auto& [timeout, count] : shortReads) total += uint64_t{timeout} * count;
    return total;
  }
};

class CountingDevice : public sys::SerialDevice {
 public:
  CountingDevice(sys::SerialDevice* device, ImposedTime& imposed) : device_(device), imposed_(imposed) {}
  ~CountingDevice() override { delete device_; }
  bool GetCommState(sys::Dcb* dcb) override { return device_->GetCommState(dcb); }
  bool SetCommState(const sys::Dcb& dcb) override { return device_->SetCommState(dcb); }
  bool SetCommTimeouts(const sys::CommTimeouts& timeouts) override {
    readTimeout_ = timeouts.ReadTotalTimeoutConstant;
    return device_->SetCommTimeouts(timeouts);
  }
  bool EscapeCommFunction(unsigned function) override { return device_->EscapeCommFunction(function); }
  bool PurgeComm(unsigned flags) override { return device_->PurgeComm(flags); }
  bool ClearCommError(unsigned* errors) override { return device_->ClearCommError(errors); }
  bool ReadFile(void* buffer, unsigned count, unsigned* read) override {
    const bool ok = device_->ReadFile(buffer, count, read);
    if (ok && *read < count) ++imposed_.shortReads[readTimeout_];
    return ok;
  }
  bool WriteFile(const void* bytes, unsigned count, unsigned* written) override {
    return device_->WriteFile(bytes, count, written);
  }

 private:
  sys::SerialDevice* device_;
  ImposedTime& imposed_;
  uint32_t readTimeout_ = 0;
};

class BenchOpener : public sys::SerialOpener {
 public:
  BenchOpener(std::string path, ImposedTime& imposed) : path_(std::move(path)), imposed_(imposed) {}
  sys::SerialDevice* Open(const char* name) override {
    if (std::strcmp(name, "COM1") != 0) return nullptr;
    sys::SerialDevice* device = sys::PlatformSerialOpener().Open(path_.c_str());
    return device ? new CountingDevice(device, imposed_) : nullptr;
  }

 private:
  std::string path_;
  ImposedTime& imposed_;
};

class CountingClock : public sys::Clock {
 public:
  explicit CountingClock(ImposedTime& imposed) : imposed_(imposed) {}
  uint32_t NowMs() override { return sys::RealClock().NowMs(); }
  void SleepMs(uint32_t ms) override {
    imposed_.sleptMs += ms;
    sys::RealClock().SleepMs(ms);
  }

 private:
  ImposedTime& imposed_;
};

class StatusLine : public PhoneJobView {
 public:
  void SetItemTextFromId(int controlId, int stringId) override {
    if (controlId == kStatusLineId) last = stringId;
  }
  void SetItemText(int, const char*) override { last = -1; }
  void EnableItem(int, int) override {}
  int last = 0;
};

// "quavrel phone-sim" on a pseudo-terminal, ended when this goes.
class PhoneSim {
 public:
  PhoneSim(const std::string& quavrel, const std::string& eeprom) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      close(out[0]);
      close(out[1]);
      int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 2);
      execl(quavrel.c_str(), quavrel.c_str(), "phone-sim", "--eeprom", eeprom.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    // Its first line is the device to open; the rest (its log) is drained
    // so the simulator never blocks on a full pipe.
    output_ = fdopen(out[0], "r");
    char line[512] = {};
    if (output_ && fgets(line, sizeof line, output_)) path_ = std::string(line, strcspn(line, "\r\n"));
    if (output_) drain_ = std::thread([this] {
      char buffer[4096];
      while (fgets(buffer, sizeof buffer, output_)) {
      }
    });
  }
  ~PhoneSim() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (drain_.joinable()) drain_.join();
    if (output_) fclose(output_);
  }
  const std::string& Path() const { return path_; }

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  std::string path_;
  std::thread drain_;
};

std::string ProgramDirectory() {
  std::error_code error;
  auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : self.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  std::string quavrel = ProgramDirectory() + "/quavrel";
  int runs = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--quavrel") == 0) quavrel = argv[i + 1];
    else if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
  }
  if (runs < 1) runs = 1;

  std::printf("upload of a full image (2408 bytes, 121 chunks) to quavrel phone-sim on a pty\n");
  std::printf("%-4s %12s %12s %10s %9s  %s\n", "run", "wall ms", "imposed ms", "added ms", "added %",
              "imposed by");
  int failures = 0;
  for (int run = 1; run <= runs; ++run) {
    const std::string eeprom =
        (std::filesystem::temp_directory_path() / ("upload-bench-" + std::to_string(getpid()) + ".bin")).string();
    std::filesystem::remove(eeprom);
    ImposedTime imposed;
    StatusLine status;
    auto request = std::make_unique<UploadRequest>();
    for (int i = 0; i < kUploadImageSize; ++i) request->image[i] = static_cast<uint8_t>(i * 31 + run);
    request->view = &status;

    PhoneJobResult result;
    double wallMs;
    {
      PhoneSim sim(quavrel, eeprom);
      if (sim.Path().empty()) {
        std::fprintf(stderr, "cannot start %s phone-sim\n", quavrel.c_str());
        return 1;
      }
      BenchOpener opener(sim.Path(), imposed);
      CountingClock clock(imposed);
      sys::SetSerialOpener(&opener);
      sys::SetClock(&clock);
      const auto begin = std::chrono::steady_clock::now();
      result = UploadJob(*request);
      const auto end = std::chrono::steady_clock::now();
      sys::SetClock(nullptr);
      sys::SetSerialOpener(nullptr);
      wallMs = std::chrono::duration<double, std::milli>(end - begin).count();
    }
    std::ifstream stored(eeprom, std::ios::binary);
    std::vector<char> block((std::istreambuf_iterator<char>(stored)), std::istreambuf_iterator<char>());
    const bool landed = block.size() == static_cast<size_t>(kUploadImageSize) &&
                        std::memcmp(block.data(), request->image, kUploadImageSize) == 0;
    std::filesystem::remove(eeprom);

    std::string by;
    for (const auto& [timeout, count] : imposed.shortReads)
      by += std::to_string(count) + " reads x " + std::to_string(timeout) + " ms, ";
    by += std::to_string(imposed.sleptMs) + " ms of pauses";
    const double imposedMs = static_cast<double>(imposed.TotalMs());
    std::printf("%-4d %12.1f %12.0f %10.1f %8.2f%%  %s%s\n", run, wallMs, imposedMs, wallMs - imposedMs,
                100.0 * (wallMs - imposedMs) / imposedMs, by.c_str(),
                result == PhoneJobResult::Succeeded && landed ? "" : "  [UPLOAD FAILED]");
    if (result != PhoneJobResult::Succeeded || !landed) ++failures;
  }
  return failures ? 1 : 0;
}

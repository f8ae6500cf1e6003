// How long the upload takes, and how much of that the phone imposes.
//
//   upload_bench [--quavrel PATH] [--runs N]
//
// Three measurements of a full upload (2408 bytes, 121 chunks) to a phone in
// its normal mode, each checked to leave exactly the image in the phone:
//   1. against "quavrel phone-sim" on a pseudo-terminal, in real time, with
//      the simulated phone's usual 2 ms to answer and with none;
//   2. on the simulated line in-process, where every byte takes its time at
//      the line's rate on the virtual clock;
//   3. against a phone that goes silent at chunk 30 for good: how long after
//      that the failure is known.
// Beside each wall time: the waits the phone imposes by not answering (every
// read that ends short of its bytes has waited its whole time-out: the
// pings a phone in normal mode ignores, the AT rates it does not listen at,
// the quiet after "OK"), and the time the phone takes to answer the frames
// it does answer (its delay and the bytes of its replies). The rest is what
// this program adds.
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
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/PhoneJobs.h"
#include "sim/ScopedSimPhone.h"
#include "sys/Clock.h"
#include "sys/Serial.h"

namespace {

// A 57600-baud byte (start bit, 8 data bits, stop bit), in microseconds.
constexpr double kByteUs = 10 * 1e6 / 57600;
// The frames the phone answers in a normal upload (ping, query, open, 121
// chunks, close, two finishing frames) and the AT command at 57600.
constexpr int kAnswers = 127;

// What the phone made the program wait for: reads that ran into their
// time-out, by time-out, and the bytes it sent; and how long the program's
// own bytes take on a wire at the rates they were sent at.
struct PhoneTime {
  std::map<uint32_t, int> shortReads;  // read time-out -> reads that waited it out
  uint64_t bytesRead = 0;
  double writtenUs = 0;

  uint64_t SilenceMs() const {
    uint64_t total = 0;
    for (const auto& [timeout, count] : shortReads) total += uint64_t{timeout} * count;
    return total;
  }
  std::string Silences() const {
    std::string text;
    for (const auto& [timeout, count] : shortReads)
      text += (text.empty() ? "" : " + ") + std::to_string(count) + "x" + std::to_string(timeout);
    return text;
  }
};

class CountingDevice : public sys::SerialDevice {
 public:
  CountingDevice(sys::SerialDevice* device, PhoneTime& time) : device_(device), time_(time) {}
  ~CountingDevice() override { delete device_; }
  bool GetCommState(sys::Dcb* dcb) override { return device_->GetCommState(dcb); }
  bool SetCommState(const sys::Dcb& dcb) override {
    baud_ = dcb.BaudRate;
    return device_->SetCommState(dcb);
  }
  bool SetCommTimeouts(const sys::CommTimeouts& timeouts) override {
    readTimeout_ = timeouts.ReadTotalTimeoutConstant;
    return device_->SetCommTimeouts(timeouts);
  }
  bool EscapeCommFunction(unsigned function) override { return device_->EscapeCommFunction(function); }
  bool PurgeComm(unsigned flags) override { return device_->PurgeComm(flags); }
  bool ClearCommError(unsigned* errors) override { return device_->ClearCommError(errors); }
  bool ReadFile(void* buffer, unsigned count, unsigned* read) override {
    const bool ok = device_->ReadFile(buffer, count, read);
    if (ok && *read < count) ++time_.shortReads[readTimeout_];
    if (ok) time_.bytesRead += *read;
    return ok;
  }
  bool WriteFile(const void* bytes, unsigned count, unsigned* written) override {
    const bool ok = device_->WriteFile(bytes, count, written);
    if (ok && baud_) time_.writtenUs += *written * 10 * 1e6 / baud_;
    return ok;
  }

 private:
  sys::SerialDevice* device_;
  PhoneTime& time_;
  uint32_t readTimeout_ = 0;
  uint32_t baud_ = 0;
};

class CountingOpener : public sys::SerialOpener {
 public:
  CountingOpener(sys::SerialOpener& inner, std::string name, PhoneTime& time)
      : inner_(inner), name_(std::move(name)), time_(time) {}
  sys::SerialDevice* Open(const char* name) override {
    if (std::strcmp(name, "COM1") != 0) return nullptr;
    sys::SerialDevice* device = inner_.Open(name_.c_str());
    return device ? new CountingDevice(device, time_) : nullptr;
  }

 private:
  sys::SerialOpener& inner_;
  std::string name_;
  PhoneTime& time_;
};

struct QuietView : PhoneJobView {
  void SetItemTextFromId(int, int) override {}
  void SetItemText(int, const char*) override {}
  void EnableItem(int, int) override {}
};

// Notes when the chunk before `offset` was taken: the last moment the phone
// is known to have answered.
class ChunkClock : public UploadProgress {
 public:
  explicit ChunkClock(int offset) : offset_(offset) {}
  void OnChunk(const ChunkReport& chunk) override {
    if (chunk.taken && chunk.offset + 20 == offset_) at = std::chrono::steady_clock::now();
  }
  std::chrono::steady_clock::time_point at;

 private:
  int offset_;
};

// "quavrel phone-sim" on a pseudo-terminal, ended when this goes.
class PhoneSim {
 public:
  PhoneSim(const std::string& quavrel, const std::string& eeprom, const std::vector<std::string>& faults) {
    int out[2];
    if (pipe(out) != 0) return;
    std::vector<std::string> args = {quavrel, "phone-sim", "--eeprom", eeprom, "--quiet"};
    for (const std::string& fault : faults) args.insert(args.end(), {"--fault", fault});
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      close(out[0]);
      close(out[1]);
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(quavrel.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    output_ = fdopen(out[0], "r");
    char line[512] = {};
    if (output_ && fgets(line, sizeof line, output_)) path_ = std::string(line, strcspn(line, "\r\n"));
  }
  ~PhoneSim() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (output_) fclose(output_);
  }
  const std::string& Path() const { return path_; }

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  std::string path_;
};

std::string ProgramDirectory() {
  std::error_code error;
  auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : self.parent_path().string();
}

std::unique_ptr<UploadRequest> Request(int seed, PhoneJobView& view) {
  auto request = std::make_unique<UploadRequest>();
  for (int i = 0; i < kUploadImageSize; ++i) request->image[i] = static_cast<uint8_t>(i * 31 + seed);
  request->view = &view;
  return request;
}

bool HoldsImage(const std::vector<uint8_t>& block, const UploadRequest& request) {
  return block.size() == static_cast<size_t>(kUploadImageSize) &&
         std::memcmp(block.data(), request.image, kUploadImageSize) == 0;
}

std::vector<uint8_t> ReadBlock(const std::string& path) {
  std::ifstream stored(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(stored)), std::istreambuf_iterator<char>());
}

// The floor: the phone's silences and answers, and (where bytes take their
// time, on the simulated line) the program's own bytes on the wire.
void PrintRow(const std::string& what, double wallMs, const PhoneTime& time, uint32_t delayMs, bool wireTimed,
              bool ok) {
  const double silenceMs = static_cast<double>(time.SilenceMs());
  const double answeringMs = kAnswers * delayMs + time.bytesRead * kByteUs / 1000;
  const double sendingMs = wireTimed ? time.writtenUs / 1000 : 0;
  const double floorMs = silenceMs + answeringMs + sendingMs;
  std::printf("%-22s %9.1f %9.0f %9.1f %9.1f %9.1f %8.1f %6.3f  %s%s\n", what.c_str(), wallMs, silenceMs,
              answeringMs, sendingMs, floorMs, wallMs - floorMs, wallMs / floorMs, time.Silences().c_str(),
              ok ? "" : "  [UPLOAD FAILED]");
}

// 1. Against phone-sim on a pty, in real time.
int BenchPty(const std::string& quavrel, int runs) {
  int failures = 0;
  for (uint32_t delayMs : {2u, 0u}) {
    for (int run = 1; run <= runs; ++run) {
      const std::string eeprom =
          (std::filesystem::temp_directory_path() / ("upload-bench-" + std::to_string(getpid()) + ".bin")).string();
      std::filesystem::remove(eeprom);
      PhoneTime time;
      QuietView view;
      auto request = Request(run, view);
      PhoneJobResult result;
      double wallMs;
      {
        PhoneSim sim(quavrel, eeprom, {"delay=" + std::to_string(delayMs)});
        if (sim.Path().empty()) {
          std::fprintf(stderr, "cannot start %s phone-sim\n", quavrel.c_str());
          return 1;
        }
        CountingOpener opener(sys::PlatformSerialOpener(), sim.Path(), time);
        sys::SetSerialOpener(&opener);
        const auto begin = std::chrono::steady_clock::now();
        result = UploadJob(*request);
        wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        sys::SetSerialOpener(nullptr);
      }
      const bool ok = result == PhoneJobResult::Succeeded && HoldsImage(ReadBlock(eeprom), *request);
      std::filesystem::remove(eeprom);
      // A pty moves the program's bytes at once; the simulated phone times
      // only its own.
      PrintRow("pty, delay " + std::to_string(delayMs) + " ms, run " + std::to_string(run), wallMs, time, delayMs,
               false, ok);
      failures += !ok;
    }
  }
  return failures;
}

// 2. On the simulated line, bytes timed at 57600 baud on the virtual clock.
int BenchSimulatedLine() {
  int failures = 0;
  for (uint32_t delayMs : {2u, 0u}) {
    sim::SimPhoneSettings settings;
    settings.replyDelayMs = delayMs;
    sim::ScopedSimPhone phone(settings);
    PhoneTime time;
    CountingOpener opener(phone.opener, "COM1", time);
    sys::SetSerialOpener(&opener);
    QuietView view;
    auto request = Request(7, view);
    const uint64_t start = phone.clock.NowUs();
    const PhoneJobResult result = UploadJob(*request);
    const double virtualMs = (phone.clock.NowUs() - start) / 1000.0;
    sys::SetSerialOpener(nullptr);
    const bool ok = result == PhoneJobResult::Succeeded && HoldsImage(phone.phone.Block(), *request);
    PrintRow("sim line, delay " + std::to_string(delayMs) + " ms", virtualMs, time, delayMs, true, ok);
    failures += !ok;
  }
  return failures;
}

// 3. A phone that goes silent at chunk 30: when is the failure known?
int BenchSilentPhone(const std::string& quavrel) {
  const std::string eeprom =
      (std::filesystem::temp_directory_path() / ("upload-bench-silent-" + std::to_string(getpid()) + ".bin")).string();
  PhoneSim sim(quavrel, eeprom, {"silent-at=600"});
  if (sim.Path().empty()) return 1;
  PhoneTime time;
  CountingOpener opener(sys::PlatformSerialOpener(), sim.Path(), time);
  sys::SetSerialOpener(&opener);
  QuietView view;
  auto request = Request(3, view);
  ChunkClock lastAnswer(600);
  request->progress = &lastAnswer;
  const PhoneJobResult result = UploadJob(*request);
  const auto end = std::chrono::steady_clock::now();
  sys::SetSerialOpener(nullptr);
  std::filesystem::remove(eeprom);
  const double afterMs = std::chrono::duration<double, std::milli>(end - lastAnswer.at).count();
  std::printf("phone silent from chunk 30 on: the write reported failed %.2f s after its last answer%s\n",
              afterMs / 1000, result == PhoneJobResult::WriteFailed ? "" : "  [NOT REPORTED AS FAILED]");
  return result == PhoneJobResult::WriteFailed ? 0 : 1;
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

  std::printf("upload of a full image (2408 bytes, 121 chunks) to a phone in its normal mode; times in ms\n");
  std::printf("%-22s %9s %9s %9s %9s %9s %8s %6s  %s\n", "", "wall", "silence", "answers", "sending", "floor",
              "added", "ratio", "silence: short reads x time-out");
  int failures = BenchPty(quavrel, runs);
  failures += BenchSimulatedLine();
  failures += BenchSilentPhone(quavrel);
  return failures ? 1 : 0;
}

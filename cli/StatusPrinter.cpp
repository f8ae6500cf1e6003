#include "cli/StatusPrinter.h"

#include "base/Cp1251.h"
#include "cli/TerminalText.h"
#include "cli/TextDisplay.h"
#include "sys/StringTable.h"
#include "texts/ControlIds.h"
#include "texts/StringIds.h"

namespace {

struct StatusText {
  int id;
  const char* english;
  // What to run next, with PORT for the port; empty when nothing is left
  // to do.
  const char* next;
};

const StatusText kStatusTexts[] = {
    {IDS_CONNECTING, "connecting to the phone", ""},
    {IDS_CONNECTED, "the phone answers in its service mode", ""},
    {IDS_WRITING, "writing the melodies", ""},
    {IDS_WRITTEN, "the melodies are written",
     "to hear them, switch the phone off and on again: quavrel power-off --port PORT, then quavrel power-on "
     "--port PORT"},
    {IDS_WRITE_FAILED, "the write failed; the melodies in the phone are incomplete", "run the same upload again"},
    {IDS_SIZE_DIFFERS, "not written: the phone's block 5071 is not 2408 bytes long", ""},
    {IDS_PHONE_SILENT, "the phone does not answer",
     "check that the phone is on and the cable in, then run the command again"},
    {IDS_SWITCHING_OFF, "the phone is switching off", "once it is off, quavrel power-on --port PORT"},
    {IDS_SWITCH_OFF_FAILED, "switching off failed", "quavrel power-off --port PORT"},
    {IDS_PRESS_POWER_KEY, "press the phone's power key, again and again, until it starts", ""},
    {IDS_SWITCHING_ON, "the phone is starting", ""},
    {IDS_SWITCH_ON_FAILED, "the phone did not start",
     "switch it on with its own key, or quavrel power-on --port PORT"},
    {IDS_READ_AGAIN, "ready", ""},
};

std::string WithPort(const std::string& text, const std::string& port) {
  std::string result = text;
  for (size_t at = result.find("PORT"); at != std::string::npos; at = result.find("PORT", at + port.size()))
    result.replace(at, 4, port);
  return result;
}

}  // namespace

StatusPrinter::StatusPrinter(std::ostream& out, std::ostream* progress, const std::string& port)
    : out_(out), progress_(progress), port_(ShownName(port)) {}

void StatusPrinter::SetItemTextFromId(int controlId, int stringId) {
  if (controlId != IDC_STATUS || muted_) return;
  const char* text = sys::StringTableText(static_cast<unsigned>(stringId));
  const std::string russian = TerminalFromCp1251(Utf8ToCp1251(text ? text : ""));
  for (const StatusText& status : kStatusTexts)
    if (status.id == stringId) return PrintStatus(russian, status.english, WithPort(status.next, port_));
  PrintStatus(russian, nullptr, "");
}

void StatusPrinter::SetItemText(int controlId, const char* text) {
  if (controlId == IDC_STATUS && !muted_) PrintStatus(TerminalFromCp1251(text), nullptr, "");
}

void StatusPrinter::OnChunk(const ChunkReport& chunk) {
  ++chunks_;
  if (!chunk.taken) ++lost_;
  std::string line = std::to_string(chunks_) + " of " +
                     std::to_string((chunk.size + kBlockChunkSize - 1) / kBlockChunkSize) + " chunks";
  if (lost_) line += ", " + std::to_string(lost_) + " not taken";
  ShowProgress(line);
}

void StatusPrinter::OnBootAttempt(unsigned attempt, unsigned attempts) {
  ShowProgress("attempt " + std::to_string(attempt) + " of " + std::to_string(attempts));
}

void StatusPrinter::EndProgress() {
  if (progressOpen_) *progress_ << "\n" << std::flush;
  progressOpen_ = false;
}

void StatusPrinter::PrintStatus(const std::string& text, const char* english, const std::string& next) {
  EndProgress();
  out_ << text;
  if (english) out_ << " (" << english << ")";
  out_ << "\n";
  if (!next.empty()) out_ << "next: " << next << "\n";
  out_ << std::flush;
}

void StatusPrinter::ShowProgress(const std::string& text) {
  if (!progress_) return;
  // Each text is at least as long as the one before, which it covers.
  *progress_ << "\r" << text << std::flush;
  progressOpen_ = true;
}

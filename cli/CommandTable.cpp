#include "cli/CommandTable.h"

#include <cstring>

#include "cli/Commands.h"
#include "cli/PhoneCommands.h"

namespace {

const Command kCommands[] = {
    {"project", "write a new project file from note texts and tempos", kProjectHelp, RunProject},
    {"show", "print a project's four melodies and tempos", kShowHelp, RunShow},
    {"encode", "encode a project into a block file (.bin) and its description (.bid)", kEncodeHelp, RunEncode},
    {"check", "list every problem the encoder would meet in a project", kCheckHelp, RunCheck},
    {"render", "play a melody into a WAV file as the phone would", kRenderHelp, RunRender},
    {"decode", "read a block file back into note text", kDecodeHelp, RunDecode},
    {"import-rtttl", "bring an RTTTL ringtone into a project", kImportRtttlHelp, RunImportRtttl},
    {"import-midi", "bring a part of a MIDI file into a project", kImportMidiHelp, RunImportMidi},
    {"export-rtttl", "write a melody as an RTTTL ringtone", kExportRtttlHelp, RunExportRtttl},
    {"export-midi", "write melodies as a Standard MIDI File", kExportMidiHelp, RunExportMidi},
    {"upload", "write a project's melodies into the phone", kUploadHelp, RunUpload},
    {"power-off", "switch the phone off", kPowerOffHelp, RunPowerOff},
    {"power-on", "switch the phone on through its boot handshake", kPowerOnHelp, RunPowerOn},
    {"phone-sim", "run a simulated phone on a pseudo-terminal", kPhoneSimHelp, RunPhoneSim},
    {"ports", "list the serial ports a cable could be on", kPortsHelp, RunPorts},
};

}  // namespace

const Command* CommandTable() { return kCommands; }

int CommandCount() { return static_cast<int>(sizeof kCommands / sizeof kCommands[0]); }

const Command* FindCommand(const char* name) {
  for (const Command& command : kCommands)
    if (std::strcmp(command.name, name) == 0) return &command;
  return nullptr;
}

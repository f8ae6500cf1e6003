#pragma once
// The subcommands, each defined in a file of its own with its help text.
#include "cli/Command.h"

extern const char kProjectHelp[];
int RunProject(CommandContext& context);
extern const char kShowHelp[];
int RunShow(CommandContext& context);
extern const char kEncodeHelp[];
int RunEncode(CommandContext& context);
extern const char kCheckHelp[];
int RunCheck(CommandContext& context);
extern const char kRenderHelp[];
int RunRender(CommandContext& context);
extern const char kDecodeHelp[];
int RunDecode(CommandContext& context);
extern const char kImportRtttlHelp[];
int RunImportRtttl(CommandContext& context);
extern const char kImportMidiHelp[];
int RunImportMidi(CommandContext& context);
extern const char kExportRtttlHelp[];
int RunExportRtttl(CommandContext& context);
extern const char kExportMidiHelp[];
int RunExportMidi(CommandContext& context);
extern const char kPhoneSimHelp[];
int RunPhoneSim(CommandContext& context);
extern const char kPortsHelp[];
int RunPorts(CommandContext& context);

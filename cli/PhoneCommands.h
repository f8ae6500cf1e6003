#pragma once
// The phone commands: the dialog's Start and power button from the command
// line, through the same phone jobs.
#include "cli/Command.h"

extern const char kUploadHelp[];
int RunUpload(CommandContext& context);
extern const char kPowerOffHelp[];
int RunPowerOff(CommandContext& context);
extern const char kPowerOnHelp[];
int RunPowerOn(CommandContext& context);

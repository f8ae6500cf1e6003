#include "ui/DialogRules.h"

#include <cstring>

#include "sys/Path.h"

bool IsCloseCommand(uintptr_t wParam) { return wParam == 1 || wParam == 2; }

Point CenteredOrigin(int refWidth, int refHeight, int ownWidth, int ownHeight) {
  return {refWidth / 2 - ownWidth / 2, refHeight / 2 - ownHeight / 2};
}

bool IsBlockFileName(const char* path) {
  return strstr(sys::path::FileNamePart(path, sys::path::kAnySeparator), ".bin") != nullptr;
}

bool IsProjectFileName(const char* path) {
  return strstr(sys::path::FileNamePart(path, sys::path::kAnySeparator), ".bmt") != nullptr;
}

uint16_t ParseTempoText(const char* text) {
  const char* at = text;
  while (*at == ' ' || *at == '\t' || *at == '\n' || *at == '\r' || *at == '\v' || *at == '\f')
    ++at;
  bool negative = false;
  if (*at == '+' || *at == '-') negative = *at++ == '-';
  uint32_t value = 0;
  for (; *at >= '0' && *at <= '9'; ++at) {
    value = value * 10 + static_cast<uint32_t>(*at - '0');
    if (value > 65535) value = 65535;  // saturate: any longer run of digits stays at the top
  }
  return negative ? 0 : static_cast<uint16_t>(value);
}

std::string TempoText(uint16_t tempo) { return std::to_string(tempo); }

int NextPortIndex(int portIndex) { return portIndex >= 3 ? 0 : portIndex + 1; }

std::string PortCaption(int portIndex) { return "Com " + std::to_string(portIndex + 1); }

void FilterBarsToNuls(char* text) {
  for (char* at = text; *at; ++at)
    if (*at == '|') *at = '\0';
}

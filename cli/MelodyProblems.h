#pragma once
// What the encoder met in a melody, as "quavrel check" lists it and the
// commands that encode (encode, render, upload) warn of it: every
// placeholder, a cut after 149 notes, text after the last duration that
// gives no note, and notes that the tempo makes longer than 65535 and
// shortens.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/EncodeReport.h"

// text and tempo are melody k's as encoded (the text at most 2047 bytes),
// recorder what the encoder reported while encoding it, image the block it
// wrote melody k into.
std::vector<std::string> EncodingProblems(int k, const std::string& text, uint16_t tempo,
                                          const EncodeRecorder& recorder, const uint8_t* image);

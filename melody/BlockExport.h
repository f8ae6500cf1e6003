#pragma once
// The names of the block file pair that MelodySet::ExportBlock writes.
#include "base/TextString.h"

// The description file that goes with a block file: the path with its last
// ".bin" (exact case) read as ".bid", so "tunes.bin" gives "tunes.bid". The
// empty text when the path holds no ".bin": such a block has no description.
TextString DescriptionPathFor(const char* blockPath);

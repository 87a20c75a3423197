// The private TXXX frame that iRiver portable players read their timed
// lyrics from. It stands first in the ID3v2 tag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lyrics/lrc.h"

// The fixed bytes at the start of the frame's data that mark it as ours.
constexpr uint8_t kIRiverSignature[7] = {0x00, 0x53, 0x4F, 0x87, 0xD6, 0x12, 0x00};

// Appends the whole frame (header included) for the lines to out and returns
// its length X. The frame size is written synchsafe for a version 4 tag.
// Times before zero count as zero.
size_t WriteIRiverFrame(const CLyricLineArray& lines, std::vector<uint8_t>& out,
                        bool synchsafeSize = false);

// True when data[0..size) is the data of a frame written by WriteIRiverFrame.
bool IsIRiverFrameData(const uint8_t* data, size_t size);

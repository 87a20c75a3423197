// ID3v2 building blocks: big-endian and synchsafe numbers, the tag header,
// bounded frame walking, unsynchronisation and the preparation of an
// existing tag for editing.
//
// Every function that reads from a buffer takes its bounds and never reads
// past them, whatever sizes the file declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kId3v2HeaderSize = 10;
constexpr size_t kId3v2FrameHeaderSize = 10;
constexpr size_t kId3v2FooterSize = 10;
constexpr uint32_t kMaxSynchsafe = 0x0FFFFFFF;  // 28 bits

// Header flags (byte 5).
constexpr uint8_t kId3v2FlagUnsync = 0x80;
constexpr uint8_t kId3v2FlagExtended = 0x40;
constexpr uint8_t kId3v2FlagFooter = 0x10;  // version 4 only

// Version 4 frame format flags (second flag byte).
constexpr uint8_t kId3v24FrameUnsync = 0x02;

uint32_t ReadBE32(const uint8_t* p);
void WriteBE32(uint8_t* p, uint32_t value);
uint32_t ReadSynchsafe32(const uint8_t* p);
void WriteSynchsafe32(uint8_t* p, uint32_t value);  // keeps the low 28 bits
bool IsSynchsafe32(const uint8_t* p);               // no byte has its top bit set

// Stores size + addition in synchsafe form in header bytes 6 to 9 (low 28
// bits kept).
void SetTagSize(uint8_t* buffer, uint32_t size, int64_t addition);

// First position p with first <= p and p + 4 <= end where the four bytes equal
// id, or -1. A plain byte search: it also finds the identifier inside another
// frame's data, so the writer locates frames with WalkFrames instead.
int64_t FindFrameId(const uint8_t* buffer, int64_t first, int64_t end, const char* id);

// The 10-byte header at the start of a file.
struct Id3v2Header {
  uint8_t major = 0;
  uint8_t revision = 0;
  uint8_t flags = 0;
  uint32_t size = 0;          // bytes after the header, without a footer
  bool sizeValid = false;     // the size bytes are synchsafe
};

// True when data starts with "ID3" (letter case ignored, as the writer has
// always accepted it); header filled when at least 10 bytes are there.
bool LooksLikeId3v2(const uint8_t* data, size_t length);
bool ParseId3v2Header(const uint8_t* data, size_t length, Id3v2Header& header);

struct Id3v2Frame {
  size_t offset = 0;  // of the frame header in the buffer
  uint32_t size = 0;  // data bytes after the 10-byte frame header
  char id[5] = {};
  uint8_t flags[2] = {};

  size_t DataOffset() const { return offset + kId3v2FrameHeaderSize; }
  size_t End() const { return DataOffset() + size; }
  bool Is(const char* frameId) const;
};

enum class WalkStop {
  End,      // the frames fill the range exactly
  Padding,  // a zero byte where the next frame would start
  Junk,     // bytes that are not a frame header (or a header cut short)
  Overrun,  // a frame whose declared size runs past the range
};

struct FrameWalk {
  std::vector<Id3v2Frame> frames;
  size_t stop = 0;  // where the walk ended
  WalkStop why = WalkStop::End;

  bool Clean() const { return why == WalkStop::End || why == WalkStop::Padding; }
  // First frame with the identifier, or null.
  const Id3v2Frame* Find(const char* frameId) const;
};

// Walks frame headers from begin while they lie inside [begin, end). Sizes are
// synchsafe (version 4) or plain 32-bit numbers (version 3).
FrameWalk WalkFrames(const uint8_t* buffer, size_t begin, size_t end, bool synchsafeSizes);

// Reverses unsynchronisation in place (FF 00 becomes FF); returns the new
// length.
size_t RemoveUnsync(uint8_t* data, size_t length);

// Appends a frame header with the size in the given encoding.
void AppendFrameHeader(std::vector<uint8_t>& out, const char* frameId, uint32_t size,
                       bool synchsafeSize, uint8_t flags0 = 0, uint8_t flags1 = 0);

// An existing version 3 or 4 tag made ready for editing, in place in the
// buffer that holds the whole file.
struct Id3v2EditableTag {
  uint8_t major = 3;
  bool synchsafeFrames = false;  // how the frame sizes of this tag are written
  size_t framesBegin = kId3v2HeaderSize;  // after the header and a kept extended header
  size_t bodyEnd = 0;           // 10 + tag size: end of frames and padding
  size_t tagEnd = 0;            // bodyEnd plus a footer
  bool hasFooter = false;
  FrameWalk walk;               // frames between framesBegin and bodyEnd
  // What was changed to make the tag editable, for tests and reports.
  bool removedUnsync = false;
  bool droppedExtendedHeader = false;
  bool clearedBogusExtendedFlag = false;  // flag set, but frames right after the header
};

// Prepares the tag at the start of buffer[0..length): removes
// unsynchronisation (the whole-tag form of version 3, the frame form of
// version 4), drops an extended header whose CRC or restrictions the edit
// would make wrong, and walks the frames. The tag may shrink; length and the
// header's size and flags then follow. False with a reason when the tag cannot
// be edited safely; the buffer may then be changed and must not be written.
bool PrepareId3v2ForEdit(uint8_t* buffer, size_t& length, Id3v2EditableTag& tag,
                         std::string& why);

// Stores the tag size in a version 4 footer (its bytes 6 to 9).
void SetFooterSize(uint8_t* footer, uint32_t size);

#include "tags/id3v2.h"

#include <cstring>

uint32_t ReadBE32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void WriteBE32(uint8_t* p, uint32_t value) {
  p[0] = uint8_t(value >> 24);
  p[1] = uint8_t(value >> 16);
  p[2] = uint8_t(value >> 8);
  p[3] = uint8_t(value);
}

uint32_t ReadSynchsafe32(const uint8_t* p) {
  return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) |
         (uint32_t(p[2] & 0x7F) << 7) | uint32_t(p[3] & 0x7F);
}

void WriteSynchsafe32(uint8_t* p, uint32_t value) {
  p[0] = uint8_t((value >> 21) & 0x7F);
  p[1] = uint8_t((value >> 14) & 0x7F);
  p[2] = uint8_t((value >> 7) & 0x7F);
  p[3] = uint8_t(value & 0x7F);
}

bool IsSynchsafe32(const uint8_t* p) {
  return ((p[0] | p[1] | p[2] | p[3]) & 0x80) == 0;
}

void SetTagSize(uint8_t* buffer, uint32_t size, int64_t addition) {
  WriteSynchsafe32(buffer + 6, uint32_t(int64_t(size) + addition) & kMaxSynchsafe);
}

int64_t FindFrameId(const uint8_t* buffer, int64_t first, int64_t end, const char* id) {
  if (first < 0) first = 0;
  for (int64_t p = first; p + 4 <= end; ++p) {
    if (std::memcmp(buffer + p, id, 4) == 0) return p;
  }
  return -1;
}

static bool SameLetterNoCase(uint8_t c, char upper) {
  return c == uint8_t(upper) || c == uint8_t(upper - 'A' + 'a');
}

bool LooksLikeId3v2(const uint8_t* data, size_t length) {
  return length >= 3 && SameLetterNoCase(data[0], 'I') && SameLetterNoCase(data[1], 'D') &&
         data[2] == '3';
}

bool ParseId3v2Header(const uint8_t* data, size_t length, Id3v2Header& header) {
  if (!LooksLikeId3v2(data, length) || length < kId3v2HeaderSize) return false;
  header.major = data[3];
  header.revision = data[4];
  header.flags = data[5];
  header.sizeValid = IsSynchsafe32(data + 6);
  header.size = ReadSynchsafe32(data + 6);
  return true;
}

bool Id3v2Frame::Is(const char* frameId) const { return std::memcmp(id, frameId, 4) == 0; }

const Id3v2Frame* FrameWalk::Find(const char* frameId) const {
  for (const Id3v2Frame& f : frames) {
    if (f.Is(frameId)) return &f;
  }
  return nullptr;
}

static bool IsFrameIdChar(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

FrameWalk WalkFrames(const uint8_t* buffer, size_t begin, size_t end, bool synchsafeSizes) {
  FrameWalk walk;
  size_t pos = begin;
  while (true) {
    walk.stop = pos;
    if (pos >= end) {
      walk.why = WalkStop::End;
      return walk;
    }
    if (buffer[pos] == 0) {
      walk.why = WalkStop::Padding;
      return walk;
    }
    if (end - pos < kId3v2FrameHeaderSize) {
      walk.why = WalkStop::Junk;
      return walk;
    }
    const uint8_t* h = buffer + pos;
    if (!IsFrameIdChar(h[0]) || !IsFrameIdChar(h[1]) || !IsFrameIdChar(h[2]) ||
        !IsFrameIdChar(h[3]) || (synchsafeSizes && !IsSynchsafe32(h + 4))) {
      walk.why = WalkStop::Junk;
      return walk;
    }
    Id3v2Frame f;
    f.offset = pos;
    f.size = synchsafeSizes ? ReadSynchsafe32(h + 4) : ReadBE32(h + 4);
    std::memcpy(f.id, h, 4);
    f.flags[0] = h[8];
    f.flags[1] = h[9];
    if (f.size > end - pos - kId3v2FrameHeaderSize) {
      walk.why = WalkStop::Overrun;
      return walk;
    }
    walk.frames.push_back(f);
    pos = f.End();
  }
}

// Forward decoding; safe in place as long as dst <= src.
static size_t RemoveUnsyncTo(uint8_t* dst, const uint8_t* src, size_t length) {
  size_t out = 0;
  for (size_t i = 0; i < length; ++i) {
    uint8_t c = src[i];
    dst[out++] = c;
    if (c == 0xFF && i + 1 < length && src[i + 1] == 0x00) ++i;
  }
  return out;
}

size_t RemoveUnsync(uint8_t* data, size_t length) { return RemoveUnsyncTo(data, data, length); }

void AppendFrameHeader(std::vector<uint8_t>& out, const char* frameId, uint32_t size,
                       bool synchsafeSize, uint8_t flags0, uint8_t flags1) {
  uint8_t h[kId3v2FrameHeaderSize];
  std::memcpy(h, frameId, 4);
  if (synchsafeSize) {
    WriteSynchsafe32(h + 4, size);
  } else {
    WriteBE32(h + 4, size);
  }
  h[8] = flags0;
  h[9] = flags1;
  out.insert(out.end(), h, h + sizeof h);
}

void SetFooterSize(uint8_t* footer, uint32_t size) { WriteSynchsafe32(footer + 6, size); }

namespace {

// Removes buffer[at, at + count) by moving the rest of the file down.
void Cut(uint8_t* buffer, size_t& length, size_t at, size_t count) {
  std::memmove(buffer + at, buffer + at + count, length - at - count);
  length -= count;
}

// Size in bytes of the extended header at buffer[10..], or 0 when it is not
// sound. Sets drop when keeping it would leave a wrong CRC or restrictions.
size_t ExtendedHeaderSize(const uint8_t* buffer, const Id3v2Header& h, bool& drop) {
  const size_t room = h.size;
  const uint8_t* x = buffer + kId3v2HeaderSize;
  if (room < 6) return 0;
  if (h.major == 3) {
    // Size excludes its own four bytes: 6, or 10 with a CRC.
    uint32_t declared = ReadBE32(x);
    if (declared < 6 || declared > room - 4) return 0;
    drop = (x[4] & 0x80) != 0;
    return size_t(declared) + 4;
  }
  if (!IsSynchsafe32(x)) return 0;
  uint32_t total = ReadSynchsafe32(x);
  if (total < 6 || total > room) return 0;
  drop = (x[5] & 0x30) != 0;  // CRC or restrictions
  return total;
}

// Chooses how the frame sizes of a version 4 tag are read: synchsafe as the
// format says, or plain numbers as some writers got it wrong.
FrameWalk WalkVersion4(const uint8_t* buffer, size_t begin, size_t end, bool& synchsafe) {
  FrameWalk ss = WalkFrames(buffer, begin, end, true);
  synchsafe = true;
  if (ss.Clean()) return ss;
  // Plain only when that reads the tag through and finds more frames, so
  // that a merely damaged tag keeps the encoding the format prescribes.
  FrameWalk plain = WalkFrames(buffer, begin, end, false);
  if (plain.Clean() && plain.frames.size() > ss.frames.size()) {
    synchsafe = false;
    return plain;
  }
  return ss;
}

}  // namespace

bool PrepareId3v2ForEdit(uint8_t* buffer, size_t& length, Id3v2EditableTag& tag,
                         std::string& why) {
  Id3v2Header h;
  if (!ParseId3v2Header(buffer, length, h)) {
    why = "truncated ID3v2 header";
    return false;
  }
  if (h.major != 3 && h.major != 4) {
    why = "unsupported ID3v2 version";
    return false;
  }
  if (!h.sizeValid) {
    why = "ID3v2 tag size is not synchsafe";
    return false;
  }
  if (h.size > length - kId3v2HeaderSize) {
    why = "ID3v2 tag size runs past the end of the file";
    return false;
  }
  tag = Id3v2EditableTag();
  tag.major = h.major;

  // Version 3 unsynchronises the whole tag body, extended header included.
  if (h.major == 3 && (h.flags & kId3v2FlagUnsync)) {
    size_t decoded = RemoveUnsync(buffer + kId3v2HeaderSize, h.size);
    Cut(buffer, length, kId3v2HeaderSize + decoded, h.size - decoded);
    h.size = uint32_t(decoded);
    h.flags &= uint8_t(~kId3v2FlagUnsync);
    tag.removedUnsync = true;
  }

  if (h.major == 4 && (h.flags & kId3v2FlagFooter)) {
    if (length - kId3v2HeaderSize - h.size < kId3v2FooterSize) {
      why = "ID3v2 footer runs past the end of the file";
      return false;
    }
    tag.hasFooter = std::memcmp(buffer + kId3v2HeaderSize + h.size, "3DI", 3) == 0;
  }
  const size_t footer = (h.major == 4 && (h.flags & kId3v2FlagFooter)) ? kId3v2FooterSize : 0;

  size_t framesBegin = kId3v2HeaderSize;
  if (h.flags & kId3v2FlagExtended) {
    bool drop = false;
    size_t ext = ExtendedHeaderSize(buffer, h, drop);
    const uint8_t* x = buffer + kId3v2HeaderSize;
    if (ext == 0 && h.size >= 4 && IsFrameIdChar(x[0]) && IsFrameIdChar(x[1]) &&
        IsFrameIdChar(x[2]) && IsFrameIdChar(x[3])) {
      // Some writers set the flag without writing the header: the frames
      // start right away. The flag is cleared so that readers agree.
      h.flags &= uint8_t(~kId3v2FlagExtended);
      tag.clearedBogusExtendedFlag = true;
    } else if (ext == 0) {
      why = "damaged extended header";
      return false;
    } else if (drop) {
      Cut(buffer, length, kId3v2HeaderSize, ext);
      h.size -= uint32_t(ext);
      h.flags &= uint8_t(~kId3v2FlagExtended);
      tag.droppedExtendedHeader = true;
    } else {
      framesBegin += ext;
    }
  }

  size_t bodyEnd = kId3v2HeaderSize + h.size;
  bool synchsafe = false;
  FrameWalk walk = h.major == 4 ? WalkVersion4(buffer, framesBegin, bodyEnd, synchsafe)
                                : WalkFrames(buffer, framesBegin, bodyEnd, false);

  if (h.major == 4) {
    const bool wholeTag = (h.flags & kId3v2FlagUnsync) != 0;
    bool anyFrame = false;
    for (const Id3v2Frame& f : walk.frames) anyFrame |= (f.flags[1] & kId3v24FrameUnsync) != 0;
    if (wholeTag && !walk.Clean()) {
      // Frames past the damage could not be decoded, and clearing the flag
      // would change how readers see them.
      why = "unsynchronised tag with damaged frames";
      return false;
    }
    if (wholeTag || anyFrame) {
      size_t w = framesBegin;
      for (const Id3v2Frame& f : walk.frames) {
        std::memmove(buffer + w, buffer + f.offset, kId3v2FrameHeaderSize);
        size_t size = f.size;
        if (wholeTag || (f.flags[1] & kId3v24FrameUnsync)) {
          size = RemoveUnsyncTo(buffer + w + kId3v2FrameHeaderSize, buffer + f.DataOffset(), f.size);
          buffer[w + 9] &= uint8_t(~kId3v24FrameUnsync);
        } else {
          std::memmove(buffer + w + kId3v2FrameHeaderSize, buffer + f.DataOffset(), f.size);
        }
        if (synchsafe) {
          WriteSynchsafe32(buffer + w + 4, uint32_t(size));
        } else {
          WriteBE32(buffer + w + 4, uint32_t(size));
        }
        w += kId3v2FrameHeaderSize + size;
      }
      size_t shrink = walk.stop - w;
      Cut(buffer, length, w, shrink);
      h.size -= uint32_t(shrink);
      h.flags &= uint8_t(~kId3v2FlagUnsync);
      bodyEnd = kId3v2HeaderSize + h.size;
      walk = WalkFrames(buffer, framesBegin, bodyEnd, synchsafe);
      tag.removedUnsync = true;
    }
  }

  buffer[5] = h.flags;
  WriteSynchsafe32(buffer + 6, h.size);
  tag.synchsafeFrames = synchsafe;
  tag.framesBegin = framesBegin;
  tag.bodyEnd = bodyEnd;
  tag.tagEnd = bodyEnd + footer;
  tag.walk = std::move(walk);
  return true;
}

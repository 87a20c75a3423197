#include "tags/lyric_tag_writer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"
#include "tags/id3v2.h"
#include "tags/iriver.h"
#include "tags/lyrics3.h"

namespace {

// A file without a usable tag gets this header and 246 bytes of padding.
constexpr size_t kNewTagSize = 256;
const uint8_t kNewHeader[kId3v2HeaderSize] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x01, 0x76};
constexpr size_t kWriteBlock = 102400;

// "<在此处键入说明>" in UTF-16LE with its byte-order mark and terminator.
const uint8_t kSyltDescriptor[22] = {0xFF, 0xFE, 0x3C, 0x00, 0x28, 0x57, 0x64, 0x6B,
                                     0x04, 0x59, 0x2E, 0x95, 0x65, 0x51, 0xF4, 0x8B,
                                     0x0E, 0x66, 0x3E, 0x00, 0x00, 0x00};

// One change to the file's bytes: buffer[begin, end) is replaced by bytes.
struct Splice {
  size_t begin;
  size_t end;
  std::vector<uint8_t> bytes;
};

void Append(std::vector<uint8_t>& out, const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  out.insert(out.end(), p, p + size);
}

void AppendTcon(std::vector<uint8_t>& out, bool synchsafe) {
  AppendFrameHeader(out, "TCON", 5, synchsafe);
  Append(out, "\0(12)", 5);  // ISO-8859-1, genre 12
}

void AppendUslt(std::vector<uint8_t>& out, const std::string& lyric, bool synchsafe) {
  AppendFrameHeader(out, "USLT", uint32_t(lyric.size() + 5), synchsafe);
  Append(out, "\0chi\0", 5);  // encoding, language, empty descriptor
  Append(out, lyric.data(), lyric.size());
}

void AppendSylt(std::vector<uint8_t>& out, const CLyricLineArray& lines, bool synchsafe) {
  const size_t start = out.size();
  AppendFrameHeader(out, "SYLT", 0, synchsafe);
  Append(out, "\x01" "chi" "\x02\x01", 6);  // UTF-16, language, milliseconds, lyrics
  Append(out, kSyltDescriptor, sizeof kSyltDescriptor);
  for (int i = 0; i < lines.GetSize(); ++i) {
    const LyricLine& line = *lines.GetAt(i);
    // Converted whole: a line is as long as it is.
    std::u16string text = Cp936ToUtf16(line.text);
    for (char16_t c : text) {
      out.push_back(uint8_t(c & 0xFF));
      out.push_back(uint8_t(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    uint8_t time[4];
    // A negative time would read as some 49 days.
    WriteBE32(time, uint32_t(std::max<int32_t>(line.time, 0)));
    Append(out, time, 4);
  }
  const uint32_t z = uint32_t(out.size() - start - kId3v2FrameHeaderSize);
  if (synchsafe) {
    WriteSynchsafe32(&out[start + 4], z);
  } else {
    WriteBE32(&out[start + 4], z);
  }
}

// Reads exactly size bytes.
bool ReadFully(FILE* in, uint8_t* to, size_t size) { return std::fread(to, 1, size, in) == size; }

// The new content goes out through this, so that every step can be made to
// fail in tests.
class COutput {
 public:
  COutput(fileio::AtomicReplace& file,
          const std::function<bool(CLyricTagWriter::OutputStep, int)>& fault)
      : m_file(file), m_fault(fault) {}

  bool Step(CLyricTagWriter::OutputStep step) { return !m_fault || m_fault(step, m_nStep++); }

  bool Write(const uint8_t* data, size_t size) {
    while (size > 0) {
      const size_t block = std::min(size, kWriteBlock);
      if (!Step(CLyricTagWriter::OutputStep::Write)) return false;
      if (std::fwrite(data, 1, block, m_file.Stream()) != block) return false;
      data += block;
      size -= block;
    }
    return true;
  }

 private:
  fileio::AtomicReplace& m_file;
  const std::function<bool(CLyricTagWriter::OutputStep, int)>& m_fault;
  int m_nStep = 0;
};

WriteResult Fail(WriteStatus status, std::string why) {
  return WriteResult::Fail(status, std::move(why));
}

}  // namespace

bool CLyricTagWriter::EnsureBuffer(size_t size) {
  if (m_pFileBuffer && m_nBufferSize >= size) return true;
  const size_t want = std::max(size, kInitialBufferSize);
  m_pFileBuffer.reset();
  m_nBufferSize = 0;
  uint8_t* block = new (std::nothrow) uint8_t[want];
  if (!block) return false;
  m_pFileBuffer.reset(block);
  m_nBufferSize = want;
  return true;
}

WriteResult CLyricTagWriter::WriteLyricTag(const std::string& lrcPath, const std::string& mp3Path,
                                           const std::string& listName) {
  try {
    // The lyric. A lyric file that cannot be read must not wipe the lyric
    // the MP3 file already carries.
    std::string lyricText;
    if (fileio::IsDirectory(lrcPath)) return Fail(WriteStatus::CannotOpen, "the lyric file is a folder");
    if (fileio::IsDirectory(mp3Path)) return Fail(WriteStatus::CannotOpen, "the MP3 file is a folder");
    const LyricFileText decoded = ReadLyricFile(lrcPath, lyricText);
    if (!decoded.fileRead)
      return Fail(WriteStatus::CannotOpen, "cannot read the lyric file: " + fileio::LastErrorText());
    ParseLrc(lyricText, m_lyricLines, &m_strUnsyncLyric);

    // The MP3 file, whole, into the buffer.
    FILE* in = fileio::Open(mp3Path, "rb");
    if (!in) return Fail(WriteStatus::CannotOpen, "cannot open the MP3 file: " + fileio::LastErrorText());
    struct Closer {
      FILE*& f;
      ~Closer() {
        if (f) std::fclose(f);
      }
    } closer{in};
    const int64_t fileSize = fileio::Size(in);
    if (fileSize < 0) return Fail(WriteStatus::CannotRead, "cannot tell the file's length");
    const size_t reserve = Lyrics3TailReserve(m_lyricLines);
    const uint64_t limit = uint64_t(std::numeric_limits<size_t>::max() / 2);
    if (uint64_t(fileSize) > limit - kNewTagSize - reserve)
      return Fail(WriteStatus::TooLarge, "the file does not fit in memory");
    const size_t fileLength = size_t(fileSize);
    if (!EnsureBuffer(fileLength + kNewTagSize + reserve))
      return Fail(WriteStatus::TooLarge, "the file does not fit in memory");
    uint8_t* buf = m_pFileBuffer.get();

    const size_t headLength = std::min<size_t>(fileLength, kId3v2HeaderSize);
    if (!ReadFully(in, buf, headLength)) return Fail(WriteStatus::CannotRead, "reading the file failed");
    size_t length = 0;  // meaningful bytes in the buffer
    bool existing = false;
    auto putNewTag = [&] {
      std::memcpy(buf, kNewHeader, sizeof kNewHeader);
      std::memset(buf + kId3v2HeaderSize, 0, kNewTagSize - kId3v2HeaderSize);
    };
    if (LooksLikeId3v2(buf, headLength)) {
      Id3v2Header h;
      if (!ParseId3v2Header(buf, headLength, h))
        return Fail(WriteStatus::BadTag, "truncated ID3v2 header");
      if (!h.sizeValid) return Fail(WriteStatus::BadTag, "ID3v2 tag size is not synchsafe");
      if (h.major > 4) return Fail(WriteStatus::BadTag, "unknown ID3v2 version");
      const uint64_t oldEnd = uint64_t(kId3v2HeaderSize) + h.size;
      if (oldEnd > fileLength)
        return Fail(WriteStatus::BadTag, "ID3v2 tag size runs past the end of the file");
      if (h.major <= 2) {
        // An old tag layout is dropped whole for a new tag.
        const size_t rest = fileLength - size_t(oldEnd);
        if (std::fseek(in, long(oldEnd), SEEK_SET) != 0 || !ReadFully(in, buf + kNewTagSize, rest))
          return Fail(WriteStatus::CannotRead, "reading the file failed");
        putNewTag();
        length = kNewTagSize + rest;
      } else {
        if (!ReadFully(in, buf + kId3v2HeaderSize, fileLength - kId3v2HeaderSize))
          return Fail(WriteStatus::CannotRead, "reading the file failed");
        length = fileLength;
        existing = true;
      }
    } else {
      std::memmove(buf + kNewTagSize, buf, headLength);
      if (!ReadFully(in, buf + kNewTagSize + headLength, fileLength - headLength))
        return Fail(WriteStatus::CannotRead, "reading the file failed");
      putNewTag();
      length = fileLength + kNewTagSize;
    }
    // Nothing more past what was measured: a file that grows meanwhile is
    // not cut short silently.
    if (std::fgetc(in) != EOF) return Fail(WriteStatus::CannotRead, "the file changed while it was read");
    std::fclose(in);
    in = nullptr;

    Id3v2EditableTag tag;
    if (existing) {
      std::string why;
      if (!PrepareId3v2ForEdit(buf, length, tag, why)) return Fail(WriteStatus::BadTag, why);
      buf[0] = 'I';  // a lower-case marker is read by no one else
      buf[1] = 'D';
    } else {
      tag.major = 3;
      tag.synchsafeFrames = false;
      tag.framesBegin = kId3v2HeaderSize;
      tag.bodyEnd = tag.tagEnd = kNewTagSize;
      tag.walk = WalkFrames(buf, kId3v2HeaderSize, kNewTagSize, false);
    }
    const uint32_t tagSize = uint32_t(tag.bodyEnd - kId3v2HeaderSize);
    const bool ss = tag.synchsafeFrames;
    const std::vector<Id3v2Frame>& frames = tag.walk.frames;

    // The changes, as splices into the buffer.
    std::vector<Splice> splices;
    size_t firstKept = 0;  // frames before this index are dropped
    size_t framesStart = tag.framesBegin;
    if (m_bIRiver) {
      Splice s{tag.framesBegin, tag.framesBegin, {}};
      WriteIRiverFrame(m_lyricLines, s.bytes, ss);
      splices.push_back(std::move(s));
      // Only a frame of our own layout is replaced; another TXXX that
      // happens to stand first is the user's.
      if (!frames.empty() && frames[0].Is("TXXX") &&
          IsIRiverFrameData(buf + frames[0].DataOffset(), frames[0].size)) {
        splices.push_back({frames[0].offset, frames[0].End(), {}});
        firstKept = 1;
        framesStart = frames[0].End();
      }
    }
    auto find = [&](const char* id) -> const Id3v2Frame* {
      for (size_t i = firstKept; i < frames.size(); ++i) {
        if (frames[i].Is(id)) return &frames[i];
      }
      return nullptr;
    };
    const Id3v2Frame* uslt = find("USLT");
    const Id3v2Frame* sylt = find("SYLT");
    if (uslt) {
      // The new USLT frame takes the old one's place.
      Splice s{uslt->offset, uslt->End(), {}};
      AppendUslt(s.bytes, m_strUnsyncLyric, ss);
      splices.push_back(std::move(s));
      if (m_bSyncLyric && !sylt) {
        Splice t{uslt->End(), uslt->End(), {}};
        AppendSylt(t.bytes, m_lyricLines, ss);
        splices.push_back(std::move(t));
      }
    } else {
      size_t at = framesStart;
      const Id3v2Frame* tpe1 = find("TPE1");
      const Id3v2Frame* tit2 = find("TIT2");
      if (sylt) {
        at = sylt->offset;
      } else if (tpe1) {
        at = tpe1->offset;
      } else if (tit2) {
        at = tit2->End();
      } else if (firstKept < frames.size() && frames[firstKept].Is("TXXX")) {
        at = frames[firstKept].End();
      }
      Splice s{at, at, {}};
      // A second TCON frame would make the tag invalid and could hide the
      // genre the user set.
      if (!find("TCON")) AppendTcon(s.bytes, ss);
      AppendUslt(s.bytes, m_strUnsyncLyric, ss);
      if (m_bSyncLyric && !sylt) AppendSylt(s.bytes, m_lyricLines, ss);
      splices.push_back(std::move(s));
    }
    if (m_bSyncLyric && sylt) {
      // The old SYLT frame's place, also when it stood before the USLT frame.
      Splice s{sylt->offset, sylt->End(), {}};
      AppendSylt(s.bytes, m_lyricLines, ss);
      splices.push_back(std::move(s));
    }
    std::stable_sort(splices.begin(), splices.end(),
                     [](const Splice& a, const Splice& b) { return a.begin < b.begin; });
    int64_t growth = 0;
    size_t previousEnd = 0;
    for (const Splice& s : splices) {
      if (s.begin < previousEnd || s.end > tag.bodyEnd)
        return Fail(WriteStatus::BadTag, "overlapping frames");  // cannot happen with walked frames
      previousEnd = s.end;
      growth += int64_t(s.bytes.size()) - int64_t(s.end - s.begin);
    }
    const int64_t newTagSize = int64_t(tagSize) + growth;
    if (newTagSize > int64_t(kMaxSynchsafe))
      return Fail(WriteStatus::TooLarge, "the lyric makes the ID3v2 tag too large");
    SetTagSize(buf, tagSize, growth);
    if (tag.hasFooter) {
      SetFooterSize(buf + tag.bodyEnd, uint32_t(newTagSize));
      buf[tag.bodyEnd + 5] = buf[5];
    }

    // The end of the file: the Lyrics3 tag and ID3v1 record, kept apart
    // from the ID3v2 tag whatever sizes the old tail declares.
    if (m_bSyncLyric) {
      size_t tailLength = length - tag.tagEnd;
      if (!WriteLyrics3Tail(buf + tag.tagEnd, m_nBufferSize - tag.tagEnd, tailLength, listName,
                            m_lyricLines))
        return Fail(WriteStatus::TooLarge, "no room for the Lyrics3 tag");
      length = tag.tagEnd + tailLength;
    }

    // Out to a temporary file that replaces the original only when whole.
    if (fileio::IsReadOnly(mp3Path)) fileio::ClearReadOnly(mp3Path);
    fileio::AtomicReplace file(mp3Path);
    COutput out(file, m_fnOutputFault);
    if (!out.Step(OutputStep::Begin) || !file.Begin())
      return Fail(WriteStatus::CannotWrite, "cannot create a temporary file: " + fileio::LastErrorText());
    size_t pos = 0;
    bool ok = true;
    for (const Splice& s : splices) {
      ok = ok && out.Write(buf + pos, s.begin - pos) && out.Write(s.bytes.data(), s.bytes.size());
      pos = s.end;
    }
    ok = ok && out.Write(buf + pos, length - pos);
    if (!ok) {
      file.Abort();
      return Fail(WriteStatus::CannotWrite, "writing the file failed: " + fileio::LastErrorText());
    }
    if (!out.Step(OutputStep::Commit) || !file.Commit()) {
      file.Abort();
      return Fail(WriteStatus::CannotWrite, "cannot replace the file: " + fileio::LastErrorText());
    }
    WriteResult result;
    result.unmappable = decoded.unmappable;
    return result;
  } catch (const std::bad_alloc&) {
    return Fail(WriteStatus::TooLarge, "out of memory");
  }
}

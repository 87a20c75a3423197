// Shared helpers of the lyric tag writer's tests: scratch folders, file
// bytes, tag builders and an independent bounded reader of the result.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tags/lyric_tag_writer.h"

namespace wtest {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// The whole file as text bytes; empty when it cannot be read.
inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  Bytes out(size_t(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(out.data()), std::streamsize(out.size()));
  return out;
}

inline void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void WriteText(const fs::path& path, const std::string& text) {
  WriteBytes(path, Bytes(text.begin(), text.end()));
}

inline Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline void Add(Bytes& to, const Bytes& more) {
  // resize and copy: vector::insert trips a false -Warray-bounds in GCC 12.
  const size_t at = to.size();
  to.resize(at + more.size());
  if (!more.empty()) std::memcpy(to.data() + at, more.data(), more.size());
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) Add(out, p);
  return out;
}

inline Bytes Slice(const Bytes& b, size_t from, size_t count) {
  if (from > b.size()) return {};
  count = std::min(count, b.size() - from);
  return Bytes(b.begin() + long(from), b.begin() + long(from + count));
}

inline uint32_t BE32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline uint32_t SS32(const uint8_t* p) {
  return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) |
         (uint32_t(p[2] & 0x7F) << 7) | (p[3] & 0x7F);
}

// A frame with a plain (version 3) or synchsafe (version 4) size.
inline Bytes Frame(const char* id, const Bytes& data, bool synchsafe = false, uint8_t f0 = 0,
                   uint8_t f1 = 0) {
  Bytes out(id, id + 4);
  uint32_t n = uint32_t(data.size());
  if (synchsafe) {
    out.push_back(uint8_t((n >> 21) & 0x7F));
    out.push_back(uint8_t((n >> 14) & 0x7F));
    out.push_back(uint8_t((n >> 7) & 0x7F));
    out.push_back(uint8_t(n & 0x7F));
  } else {
    out.push_back(uint8_t(n >> 24));
    out.push_back(uint8_t(n >> 16));
    out.push_back(uint8_t(n >> 8));
    out.push_back(uint8_t(n));
  }
  out.push_back(f0);
  out.push_back(f1);
  Add(out, data);
  return out;
}

inline Bytes TextFrame(const char* id, const std::string& text, bool synchsafe = false) {
  return Frame(id, Concat({Bytes{0}, B(text)}), synchsafe);
}

// Header with a synchsafe size of body.size() + padding, then body, padding.
inline Bytes Tag(uint8_t major, const Bytes& body, size_t padding = 0, uint8_t flags = 0) {
  uint32_t n = uint32_t(body.size() + padding);
  Bytes out = {'I', 'D', '3', major, 0, flags, uint8_t((n >> 21) & 0x7F),
               uint8_t((n >> 14) & 0x7F), uint8_t((n >> 7) & 0x7F), uint8_t(n & 0x7F)};
  Add(out, body);
  out.resize(out.size() + padding, 0);
  return out;
}

// Bytes that stand for the audio: never mistaken for a tag.
inline Bytes Audio(size_t size, uint32_t seed = 7) {
  uint32_t x = seed * 2654435761u + 1;  // xorshift: cheap enough for 20 MB
  Bytes out(size);
  for (auto& b : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = uint8_t(x >> 24);
  }
  if (size >= 2) {
    out[0] = 0xFF;
    out[1] = 0xFB;
  }
  return out;
}

// A scratch folder removed with its content at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    static int counter = 0;
    std::random_device rd;
    m_path = fs::temp_directory_path() /
             ("vm-writer-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    fs::create_directories(m_path);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
  }
  fs::path operator/(const std::string& name) const { return m_path / name; }
  const fs::path& path() const { return m_path; }
  // Writes a file of these bytes into the folder; its path.
  std::string Put(const std::string& name, const std::string& bytes) const {
    const fs::path p = m_path / name;
    std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return p.string();
  }
  // Names in the folder that are left-over temporary files of a write.
  std::vector<std::string> TempFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(m_path)) {
      std::string n = e.path().filename().string();
      if (n.find(".vmtmp") != std::string::npos) names.push_back(n);
    }
    return names;
  }

 private:
  fs::path m_path;
};

// What an independent bounded reader sees in a written file.
struct ParsedTag {
  bool ok = false;
  std::string error;
  uint8_t major = 0;
  uint8_t flags = 0;
  uint32_t size = 0;
  size_t framesBegin = 10;
  size_t bodyEnd = 0;
  size_t tagEnd = 0;
  struct F {
    std::string id;
    size_t offset;
    uint32_t size;
    uint8_t flags[2];
    Bytes data;
  };
  std::vector<F> frames;
  size_t paddingBegin = 0;  // where the frames end

  const F* Find(const std::string& id) const {
    for (const F& f : frames)
      if (f.id == id) return &f;
    return nullptr;
  }
  int Count(const std::string& id) const {
    int n = 0;
    for (const F& f : frames) n += f.id == id;
    return n;
  }
  std::vector<std::string> Ids() const {
    std::vector<std::string> ids;
    for (const F& f : frames) ids.push_back(f.id);
    return ids;
  }
};

// Walks the tag at the start of file: every frame size must land on the next
// frame header, on zero padding up to the end of the tag, or on the tag's end
// exactly. Unsynchronisation must be gone. synchsafe < 0 means "by version".
inline ParsedTag ParseTag(const Bytes& file, int synchsafe = -1) {
  ParsedTag t;
  auto fail = [&](const std::string& why) {
    t.ok = false;
    t.error = why;
    return t;
  };
  if (file.size() < 10 || std::memcmp(file.data(), "ID3", 3) != 0) return fail("no header");
  t.major = file[3];
  t.flags = file[5];
  for (int i = 6; i < 10; ++i)
    if (file[i] & 0x80) return fail("size not synchsafe");
  t.size = SS32(&file[6]);
  t.bodyEnd = 10 + size_t(t.size);
  if (t.bodyEnd > file.size()) return fail("tag size beyond the file");
  t.tagEnd = t.bodyEnd + ((t.major == 4 && (t.flags & 0x10)) ? 10 : 0);
  if (t.flags & 0x80) return fail("unsynchronisation flag still set");
  bool ss = synchsafe < 0 ? t.major == 4 : synchsafe != 0;
  size_t pos = 10;
  if (t.flags & 0x40) {
    if (t.bodyEnd < 14) return fail("extended header cut");
    size_t ext = t.major == 4 ? SS32(&file[10]) : BE32(&file[10]) + 4;
    if (ext < 6 || ext > t.size) return fail("extended header size");
    pos += ext;
  }
  t.framesBegin = pos;
  while (pos < t.bodyEnd) {
    if (file[pos] == 0) {
      for (size_t i = pos; i < t.bodyEnd; ++i)
        if (file[i] != 0) return fail("junk in padding at " + std::to_string(i));
      break;
    }
    if (t.bodyEnd - pos < 10) return fail("frame header cut at " + std::to_string(pos));
    ParsedTag::F f;
    f.id.assign(reinterpret_cast<const char*>(&file[pos]), 4);
    for (char c : f.id)
      if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
        return fail("bad frame id at " + std::to_string(pos));
    if (ss) {
      for (int i = 4; i < 8; ++i)
        if (file[pos + i] & 0x80) return fail("frame size not synchsafe at " + std::to_string(pos));
    }
    f.size = ss ? SS32(&file[pos + 4]) : BE32(&file[pos + 4]);
    f.offset = pos;
    f.flags[0] = file[pos + 8];
    f.flags[1] = file[pos + 9];
    if (f.size > t.bodyEnd - pos - 10) return fail("frame " + f.id + " runs past the tag");
    if (t.major == 4 && (f.flags[1] & 0x02)) return fail("frame unsync flag still set");
    f.data = Slice(file, pos + 10, f.size);
    pos += 10 + f.size;
    t.frames.push_back(std::move(f));
  }
  t.paddingBegin = pos;
  if (t.tagEnd > t.bodyEnd) {
    if (t.tagEnd > file.size()) return fail("footer beyond the file");
    if (std::memcmp(&file[t.bodyEnd], "3DI", 3) != 0) return fail("footer missing");
    if (SS32(&file[t.bodyEnd + 6]) != t.size) return fail("footer size differs");
  }
  t.ok = true;
  return t;
}

// As ParseTag; a version 4 tag whose frame sizes were written as plain
// numbers (as some writers do) is read that way when that fits.
inline ParsedTag ParseTagEitherSizes(const Bytes& file) {
  ParsedTag t = ParseTag(file);
  if (t.ok || t.major != 4) return t;
  ParsedTag plain = ParseTag(file, 0);
  return plain.ok ? plain : t;
}

// The USLT data the writer makes for a lyric text.
inline Bytes UsltData(const std::string& lyric) { return Concat({Bytes{0, 'c', 'h', 'i', 0}, B(lyric)}); }

// Runs one write with the given options.
inline WriteResult Write(const fs::path& lrc, const fs::path& mp3, bool sync, bool iriver = false,
                         const std::string& listName = "Song.mp3") {
  CLyricTagWriter w;
  w.m_bSyncLyric = sync;
  w.m_bIRiver = iriver;
  return w.WriteLyricTag(lrc.string(), mp3.string(), listName);
}

inline std::string CorpusPath(const std::string& name) {
  return std::string(VM_TEST_DATA) + "/corpus/mp3/" + name;
}

}  // namespace wtest

#include "tags/iriver.h"

#include <algorithm>
#include <cstring>

#include "tags/id3v2.h"

namespace {

void AppendLE32(std::vector<uint8_t>& out, uint32_t v) {
  const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  out.insert(out.end(), b, b + 4);
}

void PutLE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// A negative time would print a minus sign into the entry and make its
// declared length wrong.
int32_t FrameTime(const LyricLine& line) { return std::max<int32_t>(line.time, 0); }

}  // namespace

size_t WriteIRiverFrame(const CLyricLineArray& lines, std::vector<uint8_t>& out,
                        bool synchsafeSize) {
  const size_t start = out.size();
  const int n = lines.GetSize();
  static const uint8_t kHeadTail[9] = {0x20, 0x00, 0x00, 0x53, 0x4F, 0x87, 0xD6, 0x12, 0x00};
  static_assert(sizeof kIRiverSignature == 7, "signature");
  const char* id = "TXXX";
  out.insert(out.end(), id, id + 4);
  AppendLE32(out, 0);  // frame size, set below
  out.insert(out.end(), kHeadTail, kHeadTail + sizeof kHeadTail);
  AppendLE32(out, 0xFFFFFFFEu);  // X - 12, set below
  AppendLE32(out, uint32_t(n));
  for (int i = 0; i < n; ++i) AppendLE32(out, uint32_t(MsToTotalSeconds(FrameTime(*lines.GetAt(i)))));
  out.push_back(0);
  out.push_back(0);
  for (int i = 0; i < n; ++i) {
    uint32_t entry = uint32_t(lines.GetAt(i)->text.size() + 8);
    AppendLE32(out, entry);
    if (i == n - 1) out.resize(out.size() - 2);  // the last length has two bytes only
  }
  for (int i = 0; i < n; ++i) {
    const LyricLine& line = *lines.GetAt(i);
    const int32_t millis = MsToMillis(FrameTime(line));
    out.push_back(uint8_t('0' + (millis % 100) / 10));
    out.push_back(uint8_t('0' + millis % 10));
    static const uint8_t kMark[4] = {0xA2, 0xD0, '\r', '\n'};  // GBK "⑿", CR LF
    out.insert(out.end(), kMark, kMark + 4);
    out.insert(out.end(), line.text.begin(), line.text.end());
    out.push_back('\r');
    out.push_back('\n');
  }
  const size_t x = out.size() - start;
  if (synchsafeSize) {
    WriteSynchsafe32(&out[start + 4], uint32_t(x - 10));
  } else {
    WriteBE32(&out[start + 4], uint32_t(x - 10));
  }
  PutLE32(&out[start + 17], uint32_t(x - 12));
  return x;
}

bool IsIRiverFrameData(const uint8_t* data, size_t size) {
  return size >= sizeof kIRiverSignature &&
         std::memcmp(data, kIRiverSignature, sizeof kIRiverSignature) == 0;
}

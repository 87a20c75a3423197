#include "template_reader.h"

#include <cstring>

namespace vmtest {
namespace {

// Little-endian reader that refuses to step past the end.
class Cursor {
 public:
  Cursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

  bool Ok() const { return m_ok; }

  template <typename T>
  T Read() {
    T value{};
    if (!m_ok || m_size - m_pos < sizeof(T)) {
      m_ok = false;
      return value;
    }
    std::memcpy(&value, m_data + m_pos, sizeof(T));
    m_pos += sizeof(T);
    return value;
  }

  std::u16string ReadString() {
    std::u16string text;
    for (;;) {
      char16_t c = Read<char16_t>();
      if (!m_ok || c == 0) return text;
      text.push_back(c);
    }
  }

  // A name or ordinal field: 0 = none, 0xFFFF + ordinal, or a string.
  void ReadNameOrOrdinal(uint16_t* ordinal, std::u16string* name) {
    uint16_t first = Read<uint16_t>();
    *ordinal = 0;
    name->clear();
    if (first == 0) return;
    if (first == 0xFFFF) {
      *ordinal = Read<uint16_t>();
      return;
    }
    name->push_back(static_cast<char16_t>(first));
    name->append(ReadString());
  }

  void Skip(size_t n) {
    if (!m_ok || m_size - m_pos < n) {
      m_ok = false;
      return;
    }
    m_pos += n;
  }

  void AlignToDword() { Skip((4 - m_pos % 4) % 4); }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
  bool m_ok = true;
};

}  // namespace

std::optional<DialogTemplate> ReadDialogTemplate(const void* data, size_t size) {
  if (data == nullptr) return std::nullopt;
  Cursor in(static_cast<const uint8_t*>(data), size);
  DialogTemplate dlg;
  uint16_t version = in.Read<uint16_t>();
  uint16_t signature = in.Read<uint16_t>();
  if (!in.Ok() || version != 1 || signature != 0xFFFF) return std::nullopt;
  in.Read<uint32_t>();  // help id
  dlg.exStyle = in.Read<uint32_t>();
  dlg.style = in.Read<uint32_t>();
  uint16_t count = in.Read<uint16_t>();
  dlg.x = in.Read<int16_t>();
  dlg.y = in.Read<int16_t>();
  dlg.cx = in.Read<int16_t>();
  dlg.cy = in.Read<int16_t>();
  uint16_t ordinal;
  std::u16string name;
  in.ReadNameOrOrdinal(&ordinal, &name);  // menu
  in.ReadNameOrOrdinal(&ordinal, &name);  // window class
  dlg.title = in.ReadString();
  const uint32_t kSetFont = 0x40, kShellFont = 0x48;
  if ((dlg.style & kSetFont) || (dlg.style & kShellFont) == kShellFont) {
    dlg.pointSize = in.Read<uint16_t>();
    dlg.weight = in.Read<uint16_t>();
    dlg.italic = in.Read<uint8_t>();
    dlg.charset = in.Read<uint8_t>();
    dlg.typeface = in.ReadString();
  }
  for (uint16_t i = 0; i < count && in.Ok(); ++i) {
    in.AlignToDword();
    TemplateItem item;
    in.Read<uint32_t>();  // help id
    item.exStyle = in.Read<uint32_t>();
    item.style = in.Read<uint32_t>();
    item.x = in.Read<int16_t>();
    item.y = in.Read<int16_t>();
    item.cx = in.Read<int16_t>();
    item.cy = in.Read<int16_t>();
    item.id = in.Read<int32_t>();
    in.ReadNameOrOrdinal(&item.classOrdinal, &item.className);
    uint16_t titleOrdinal;
    in.ReadNameOrOrdinal(&titleOrdinal, &item.title);
    uint16_t extra = in.Read<uint16_t>();
    in.Skip(extra);
    dlg.items.push_back(item);
  }
  if (!in.Ok()) return std::nullopt;
  return dlg;
}

}  // namespace vmtest

// Reads an extended dialog template (DLGTEMPLATEEX and its items) from the
// bytes of a dialog resource, so that tests can look at the numbers exactly
// as the resource compiler wrote them, before any window rounds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vmtest {

struct TemplateItem {
  uint32_t exStyle = 0;
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  int32_t id = 0;
  uint16_t classOrdinal = 0;   // 0x80 button ... 0x85 combo box; 0 when named
  std::u16string className;    // when the class is given by name
  std::u16string title;
};

struct DialogTemplate {
  uint32_t exStyle = 0;
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::u16string title;
  uint16_t pointSize = 0;
  uint16_t weight = 0;
  uint8_t italic = 0;
  uint8_t charset = 0;
  std::u16string typeface;
  std::vector<TemplateItem> items;
};

// Nullopt when the bytes are not a complete extended template.
std::optional<DialogTemplate> ReadDialogTemplate(const void* data, size_t size);

}  // namespace vmtest

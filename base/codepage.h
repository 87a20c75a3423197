// Conversions between code page 936 (GBK), UTF-16 and UTF-8.
//
// Inside the program all text is GBK bytes; these are the only places where
// it changes form. Windows uses MultiByteToWideChar / WideCharToMultiByte with
// code page 936, other systems iconv's "CP936".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// GBK bytes to UTF-16 code units. Invalid sequences become U+FFFD.
std::u16string Cp936ToUtf16(std::string_view gbk);

// UTF-16 to GBK. Characters GBK cannot hold become '?'; their number is added
// to *unmappable when it is given.
std::string Utf16ToCp936(std::u16string_view text, size_t* unmappable = nullptr);

// UTF-8 <-> UTF-16 (no platform help needed). Invalid UTF-8 becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

// Shorthands over the two above.
std::string Utf8ToCp936(std::string_view utf8, size_t* unmappable = nullptr);
std::string Cp936ToUtf8(std::string_view gbk);

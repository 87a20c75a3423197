// The 128-byte ID3v1 record at the end of an MP3 file.
#pragma once

#include <cstdio>
#include <string>

#include "tags/write_result.h"

// The record body without "TAG": title 0..29, artist 30..59, album 60..89,
// year 90..93, comment 94..123, genre 124. Callers zero it and copy each
// text cut to its field.
struct Id3v1Fields {
  char body[125] = {};
  void SetField(size_t offset, size_t width, const std::string& text);
};

WriteResult WriteId3v1(const Id3v1Fields& fields, const std::string& path, bool titleAndArtistOnly);
void ReadId3v1FileName(const std::string& path, std::string& fileName);
bool ReadId3v1Fields(FILE* file, std::string& title, std::string& artist, std::string& album,
                     std::string& year);

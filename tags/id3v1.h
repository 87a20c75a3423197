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
  // Zeroes body[offset, offset + width) and copies text into it, cut to the
  // width at a GBK character boundary (never half a double-byte character).
  // Clipped to the body.
  void SetField(size_t offset, size_t width, const std::string& text);
};

// Overwrites the record at the end of the file in place ("r+b"): title and
// artist only (body bytes 0..59) when titleAndArtistOnly, the whole body
// otherwise. A file without a record (or shorter than 128 bytes) gets "TAG"
// and the whole body appended, whatever the flag. The read-only attribute is
// left alone, so a read-only file is reported as CannotOpen.
WriteResult WriteId3v1(const Id3v1Fields& fields, const std::string& path, bool titleAndArtistOnly);

// "artist - title.mp3" from the record's first 29 bytes of artist and title,
// white space trimmed; empty when the file cannot be opened or has no
// record. Clears the file's read-only attribute.
void ReadId3v1FileName(const std::string& path, std::string& fileName);

// Title, artist and album (29 bytes each) and year (4) of the record at the
// end of an open file, untrimmed. False, outputs unchanged, without one.
bool ReadId3v1Fields(FILE* file, std::string& title, std::string& artist, std::string& album,
                     std::string& year);

// The whole body of the record at the end of an open file, as it stands.
// False, fields unchanged, without one.
bool ReadId3v1Body(FILE* file, Id3v1Fields& fields);

// The Lyrics3 v2.00 tag before the ID3v1 record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "lyrics/lrc.h"

// Makes sure buffer[0..length) ends with an ID3v1 record (title from name
// less its last four characters) and puts a Lyrics3 v2.00 tag with the lines
// before it, replacing an existing one. capacity bounds every write; false
// (buffer unchanged) when the result would not fit.
bool WriteLyrics3Tail(uint8_t* buffer, size_t capacity, size_t& length, const std::string& name,
                      const CLyricLineArray& lines);

// Upper bound of what WriteLyrics3Tail adds to a buffer, for sizing it.
size_t Lyrics3TailReserve(const CLyricLineArray& lines);

// The lyric of a Lyrics3 v2.00 tag that stands directly before the ID3v1
// record; false when there is none.
bool ReadLyrics3Text(FILE* file, std::string& text);

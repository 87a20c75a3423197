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
// (buffer unchanged) when the result would not fit. An old tag is replaced
// only when its "LYRICSBEGIN" is found where its size or the first-version
// search says; otherwise its bytes are kept. A first-version tag whose begin
// is not found is left alone and no new tag is written. Lyrics over 99,999
// bytes are cut after the last whole line that fits.
bool WriteLyrics3Tail(uint8_t* buffer, size_t capacity, size_t& length, const std::string& name,
                      const CLyricLineArray& lines);

// Upper bound of what WriteLyrics3Tail adds to a buffer, for sizing it.
size_t Lyrics3TailReserve(const CLyricLineArray& lines);

// The lyric of a Lyrics3 v2.00 tag that stands directly before the ID3v1
// record: the text from byte 29 of the tag (after "LYRICSBEGININD0000211LYR"
// and the length) to the first zero byte or the tag's end. False, text
// unchanged, when there is none or its decimal size leads nowhere.
bool ReadLyrics3Text(FILE* file, std::string& text);

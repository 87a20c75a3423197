// The batch conversion between a file's ID3v1 title and artist and its file
// name "artist - title.mp3". Names are GBK display names (no folder); the
// record itself is read and written by tags/id3v1.
#pragma once

#include <string>

#include "tags/id3v1.h"
#include "tags/write_result.h"

// The three directions, numbered as the choice dialog numbers them.
enum BatchChoice {
  BATCH_TAG_TO_NAME = 1,    // "artist - title.mp3" from the record
  BATCH_ARTIST_FIRST = 2,   // "artist - title.mp3" into the record
  BATCH_TITLE_FIRST = 3,    // "title - artist.mp3" into the record
};

bool IsBatchChoice(int choice);

// A song name split at its first dash: the text before it and the text after
// it up to the last four characters (the ".mp3" ending), both with white
// space trimmed. Without a dash the first part is the name less its last four
// characters and the second part is empty.
struct SongNameParts {
  std::string first;
  std::string second;
};
SongNameParts SplitSongName(const std::string& name);

// The record body a song name gives for choice 2 or 3: title and artist, each
// cut to 30 bytes at a character boundary; every other byte zero.
Id3v1Fields FieldsFromSongName(const std::string& name, BatchChoice choice);

// Whether a name can be given to a file in its folder.
enum class FileNameCheck {
  Usable,
  Empty,
  RefusedCharacter,  // \ / : * ? " < > | or a control character
};
FileNameCheck CheckFileName(const std::string& name);

// Choice 1 for one file: the name its record gives, or why there is none.
enum class TagNameStatus {
  Named,
  CannotOpen,        // the file is missing or cannot be read
  NoRecord,          // the file has no ID3v1 record
  EmptyTag,          // the record's title and artist are both empty
  RefusedCharacter,  // the name would hold a character file names cannot
};
struct TagFileName {
  TagNameStatus status = TagNameStatus::CannotOpen;
  std::string name;  // what the record gives: set when Named or RefusedCharacter
};
// Reads the record (which clears the file's read-only attribute, as every
// reading of the record for a rename does).
TagFileName FileNameFromTag(const std::string& path);

// Choices 2 and 3 for one file: title and artist from the name, the rest of
// an existing record kept.
WriteResult WriteTagFromName(const std::string& path, const std::string& name, BatchChoice choice);

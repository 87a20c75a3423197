#include "import/batch_names.h"

#include "base/fileio.h"
#include "base/gbk.h"

namespace {

constexpr size_t kEndingLength = 4;  // ".mp3"
constexpr size_t kFieldWidth = 30;

// The name less its ending; a name no longer than the ending leaves nothing.
size_t StemLength(const std::string& name) {
  return name.size() > kEndingLength ? name.size() - kEndingLength : 0;
}

bool IsRefusedCharacter(unsigned char c) {
  switch (c) {
    case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
      return true;
    default:
      return c < 0x20 || c == 0x7F;
  }
}

}  // namespace

bool IsBatchChoice(int choice) {
  return choice == BATCH_TAG_TO_NAME || choice == BATCH_ARTIST_FIRST || choice == BATCH_TITLE_FIRST;
}

SongNameParts SplitSongName(const std::string& name) {
  const size_t stem = StemLength(name);
  const size_t dash = GbkFind(name, '-');
  SongNameParts parts;
  if (dash == std::string::npos || dash >= stem) {
    parts.first = GbkTrim(std::string_view(name).substr(0, stem));
    return parts;
  }
  // The blank of " - " goes with the trimming; a name written "A-B" keeps
  // every character of A, and a double-byte character before the dash is
  // never cut in half.
  parts.first = GbkTrim(std::string_view(name).substr(0, dash));
  parts.second = GbkTrim(std::string_view(name).substr(dash + 1, stem - dash - 1));
  return parts;
}

Id3v1Fields FieldsFromSongName(const std::string& name, BatchChoice choice) {
  const SongNameParts parts = SplitSongName(name);
  const bool artistFirst = choice != BATCH_TITLE_FIRST;
  Id3v1Fields fields;
  fields.SetField(0, kFieldWidth, artistFirst ? parts.second : parts.first);
  fields.SetField(kFieldWidth, kFieldWidth, artistFirst ? parts.first : parts.second);
  return fields;
}

FileNameCheck CheckFileName(const std::string& name) {
  if (name.empty()) return FileNameCheck::Empty;
  for (size_t pos = 0; pos < name.size();) {
    const unsigned char c = static_cast<unsigned char>(name[pos]);
    if (IsGbkLeadByte(c) && pos + 1 < name.size()) {
      pos += 2;  // a trail byte may have the value of '\\' or '|'
      continue;
    }
    if (IsRefusedCharacter(c)) return FileNameCheck::RefusedCharacter;
    ++pos;
  }
  return FileNameCheck::Usable;
}

TagFileName FileNameFromTag(const std::string& path) {
  TagFileName result;
  if (!fileio::Exists(path) || fileio::IsDirectory(path)) return result;
  ReadId3v1FileName(path, result.name);
  if (result.name.empty()) {
    // Readable but without a record, or unreadable after all.
    FILE* file = fileio::Open(path, "rb");
    if (file) {
      std::fclose(file);
      result.status = TagNameStatus::NoRecord;
    }
    return result;
  }
  if (result.name == " - .mp3") {
    result.status = TagNameStatus::EmptyTag;
    result.name.clear();
  } else if (CheckFileName(result.name) != FileNameCheck::Usable) {
    result.status = TagNameStatus::RefusedCharacter;
  } else {
    result.status = TagNameStatus::Named;
  }
  return result;
}

WriteResult WriteTagFromName(const std::string& path, const std::string& name, BatchChoice choice) {
  return WriteId3v1(FieldsFromSongName(name, choice), path, true);
}

// Writes two lyrics by turns into a list of MP3 files, over and over, as an
// import run does. The durability test kills it at random moments.
//   tags_batch_driver <iriver 0|1> <rounds> <lrcA> <lrcB> <mp3>...
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tags/lyric_tag_writer.h"

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: %s <iriver 0|1> <rounds> <lrcA> <lrcB> <mp3>...\n", argv[0]);
    return 64;
  }
  CLyricTagWriter writer;
  writer.m_bSyncLyric = true;
  writer.m_bIRiver = std::string(argv[1]) == "1";
  const int rounds = std::atoi(argv[2]);
  for (int round = 0; round < rounds; ++round) {
    const char* lrc = argv[3 + round % 2];
    for (int i = 5; i < argc; ++i) {
      WriteResult r = writer.WriteLyricTag(lrc, argv[i], "Song.mp3");
      if (!r.ok()) {
        std::fprintf(stderr, "%s: %s\n", argv[i], r.detail.c_str());
        return 2;
      }
    }
  }
  return 0;
}

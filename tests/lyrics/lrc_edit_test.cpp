#include "lyrics/lrc_edit.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"

namespace {

namespace fs = std::filesystem;

// 第 and 行 in GBK.
const std::string kDi = "\xB5\xDA", kHang = "\xD0\xD0";

std::vector<int32_t> Times(const CLyricLineArray& lines) {
  std::vector<int32_t> out;
  for (int i = 0; i < lines.GetSize(); ++i) out.push_back(lines.GetAt(i)->time);
  return out;
}

std::vector<std::string> Texts(const CLyricLineArray& lines) {
  std::vector<std::string> out;
  for (int i = 0; i < lines.GetSize(); ++i) out.push_back(lines.GetAt(i)->text);
  return out;
}

// Lines 1..n at 10 s, 20 s, ... with the texts L1, L2, ...
void TenSecondLines(CLyricLineArray& lines, int n) {
  std::string text;
  for (int i = 1; i <= n; ++i)
    text += "[00:" + std::to_string(10 * i) + ".00]L" + std::to_string(i) + "\r\n";
  ParseLrc(text, lines);
  ASSERT_EQ(lines.GetSize(), n);
}

// A folder of its own for the files of one test.
class LrcSave : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("vm-lrc-edit-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(m_dir / "song.lrc", fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_dir, ec);
  }

  std::string Write(const std::string& bytes) {
    std::ofstream out(m_dir / "song.lrc", std::ios::binary | std::ios::trunc);
    out << bytes;
    return (m_dir / "song.lrc").string();
  }
  std::string Read() {
    std::string out;
    ReadFileBytes((m_dir / "song.lrc").string(), out);
    return out;
  }
  // Opens the file as the editor does.
  void Load(const std::string& path, CLyricLineArray& lines) {
    std::string text;
    ReadLyricFile(path, text);
    ParseLrc(text, lines);
  }
  size_t FileCount() const {
    return size_t(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
  }

  fs::path m_dir;
};

}  // namespace

TEST(LrcEditFormat, EditorLineNumberTimeAndText) {
  LyricLine line;
  line.time = 5000;
  line.text = "Refrain";
  EXPECT_EQ(FormatEditorLine(1, line), kDi + "  1" + kHang + " [00:05.000] Refrain");
  line.time = 35000;
  EXPECT_EQ(FormatEditorLine(7, line), kDi + "  7" + kHang + " [00:35.000] Refrain");
  EXPECT_EQ(FormatEditorLine(123, line), kDi + "123" + kHang + " [00:35.000] Refrain");
  EXPECT_EQ(FormatEditorLine(1234, line), kDi + "1234" + kHang + " [00:35.000] Refrain");
}

TEST(LrcEditFormat, LineTimesPastTheHourAndBeforeTheStart) {
  EXPECT_EQ(FormatLineTime(0), "[00:00.000]");
  EXPECT_EQ(FormatLineTime(62050), "[01:02.050]");
  // 62 minutes 3 seconds keeps its hour.
  EXPECT_EQ(FormatLineTime(62 * 60000 + 3000), "[62:03.000]");
  EXPECT_EQ(FormatLineTime(-500), "[-00:00.500]");
  EXPECT_EQ(FormatLineTime(-1500), "[-00:01.500]");
  EXPECT_EQ(FormatLineTime(-61001), "[-01:01.001]");
  EXPECT_EQ(FormatLineTime(INT32_MIN), "[-35791:23.648]");
  EXPECT_EQ(FormatLineTime(INT32_MAX), "[35791:23.647]");
}

TEST(LrcEditFormat, PlayerTimeAndEntryText) {
  EXPECT_EQ(FormatPlayerTime(3723456), "01:02:03.456");
  EXPECT_EQ(FormatPlayerTime(5000), "00:00:05.000");
  EXPECT_EQ(FormatPlayerTime(-1500), "00:00:00.000");

  CLyricLineArray lines;
  ParseLrc("[00:01]A[00:02]B[00:03]C[00:04]D", lines);
  ASSERT_EQ(lines.GetSize(), 4);
  std::vector<std::string> three;
  for (int i = 0; i < 4; ++i) three.push_back(PlayerEntryText(lines, i, 3));
  EXPECT_EQ(three, (std::vector<std::string>{"A\nB\nC", "B\nC\nD", "C\nD", "D"}));
  for (int n : {0, 1, -5, INT_MIN}) EXPECT_EQ(PlayerEntryText(lines, 1, n), "B") << n;
  EXPECT_EQ(PlayerEntryText(lines, 0, INT_MAX), "A\nB\nC\nD");
  EXPECT_EQ(PlayerEntryText(lines, 4, 2), "");
}

TEST(LrcEditShift, BlockInEitherDirectionAndSingleLine) {
  CLyricLineArray lines;
  TenSecondLines(lines, 10);
  // Current line 5, chosen line 8, +2 s.
  EXPECT_EQ(ShiftLines(lines, 5, 8, 2), 4);
  EXPECT_EQ(Times(lines), (std::vector<int32_t>{10000, 20000, 30000, 40000, 52000, 62000, 72000,
                                                82000, 90000, 100000}));
  // Current line 5, chosen line 2, -1 s.
  EXPECT_EQ(ShiftLines(lines, 5, 2, -1), 4);
  EXPECT_EQ(Times(lines), (std::vector<int32_t>{10000, 19000, 29000, 39000, 51000, 62000, 72000,
                                                82000, 90000, 100000}));
  // The preselected entry: the current line alone.
  EXPECT_EQ(ShiftLines(lines, 5, 5, 3), 1);
  EXPECT_EQ(lines.GetAt(4)->time, 54000);
  // Nothing for a shift of 0.
  EXPECT_EQ(ShiftLines(lines, 1, 10, 0), 0);
  EXPECT_EQ(lines.GetAt(0)->time, 10000);
}

TEST(LrcEditShift, NumbersOutsideTheArrayAreClipped) {
  CLyricLineArray lines;
  TenSecondLines(lines, 3);
  // No selection in the chooser gives 0, which counts as line 1.
  EXPECT_EQ(ShiftLines(lines, 2, 0, 1), 2);
  EXPECT_EQ(Times(lines), (std::vector<int32_t>{11000, 21000, 30000}));
  EXPECT_EQ(ShiftLines(lines, 3, 99, 1), 1);
  EXPECT_EQ(ShiftLines(lines, -4, 99, 1), 3);
  EXPECT_EQ(Times(lines), (std::vector<int32_t>{12000, 22000, 32000}));
  CLyricLineArray empty;
  EXPECT_EQ(ShiftLines(empty, 1, 1, 5), 0);
}

TEST(LrcEditShift, KeepsOrderGoesBeforeZeroAndSaturates) {
  CLyricLineArray lines;
  ParseLrc("[00:00.500]A\n[00:10.000]B\n[00:20.000]C\n[00:30.000]D\n", lines);
  // Line 3 at 20 s by +30 s passes line 4 but keeps its place.
  ShiftLines(lines, 3, 3, 30);
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"A", "B", "C", "D"}));
  EXPECT_EQ(Times(lines), (std::vector<int32_t>{500, 10000, 50000, 30000}));
  // Line 1 at 0.5 s by -1 s: half a second before the start.
  ShiftLines(lines, 1, 1, -1);
  EXPECT_EQ(lines.GetAt(0)->time, -500);
  // Back again: nothing was lost on the way.
  ShiftLines(lines, 1, 1, 1);
  EXPECT_EQ(lines.GetAt(0)->time, 500);
  // Shifts far beyond the range stop at its ends.
  ShiftLines(lines, 2, 2, INT_MAX);
  EXPECT_EQ(lines.GetAt(1)->time, INT32_MAX);
  ShiftLines(lines, 2, 2, INT_MIN);
  EXPECT_EQ(lines.GetAt(1)->time, INT32_MIN);
}

TEST(LrcEditCompose, HeaderKeptLinesRewritten) {
  EXPECT_EQ(LrcHeader("[ti:Song]\r\n[ar:Singer]\r\n[00:01.00]A"), "[ti:Song]\r\n[ar:Singer]\r\n");
  EXPECT_EQ(LrcHeader("no tags at all"), "no tags at all");
  EXPECT_EQ(LrcHeader("[00:01]A"), "");
  EXPECT_EQ(LrcHeader("text [x] [1"), "text [x] ");
  // A trail byte with the value of "[" is no bracket: 0x815B is one character.
  EXPECT_EQ(LrcHeader("\x81[1]\r\n[02:00]B"), "\x81[1]\r\n");

  CLyricLineArray lines;
  const std::string file = "[ti:Song]\r\n[ar:Singer]\r\n[00:01.00]A\r\n[00:02.00]B\r\n";
  ParseLrc(file, lines);
  EXPECT_EQ(ComposeLrc(LrcHeader(file), lines),
            "[ti:Song]\r\n[ar:Singer]\r\n[00:01.000] A\r\n[00:02.000] B\r\n");

  // Several tags give one line each; an empty line is gone; an hour stays.
  ParseLrc("[00:05.00][00:35.00]Refrain\n[00:10.00]\n[62:03.00]Late\n", lines);
  EXPECT_EQ(ComposeLrc("", lines), "[00:05.000] Refrain\r\n[00:35.000] Refrain\r\n[62:03.000] Late\r\n");
  // Before the start: written at the start.
  ShiftLines(lines, 1, 1, -6);
  EXPECT_EQ(ComposeLrc("", lines).substr(0, 20), "[00:00.000] Refrain\r");
}

TEST(LrcEditCompose, EncodingsRoundTrip) {
  const std::string gbk = Utf8ToCp936("[00:01]歌词\r\n");
  EXPECT_EQ(EncodeLyricText(gbk, TextEncoding::Gbk), gbk);
  EXPECT_EQ(EncodeLyricText(gbk, TextEncoding::Utf8), "[00:01]\xE6\xAD\x8C\xE8\xAF\x8D\r\n");
  EXPECT_EQ(EncodeLyricText(gbk, TextEncoding::Utf8Bom), "\xEF\xBB\xBF[00:01]\xE6\xAD\x8C\xE8\xAF\x8D\r\n");
  for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16LeBom,
                         TextEncoding::Utf16BeBom}) {
    std::string bytes = EncodeLyricText(gbk, e);
    DecodedText d = DecodeLyricText(bytes);
    EXPECT_EQ(d.encoding, e);
    EXPECT_EQ(bytes, gbk);
  }
  EXPECT_EQ(EncodeLyricText("A", TextEncoding::Utf16LeBom), std::string("\xFF\xFE" "A\0", 4));
  EXPECT_EQ(EncodeLyricText("A", TextEncoding::Utf16BeBom), std::string("\xFE\xFF\0A", 4));
}

TEST_F(LrcSave, ShiftedLinesComeBackFromTheFile) {
  const std::string path = Write("[ti:Song]\r\n[ar:Singer]\r\n[00:01.00]A\r\n[00:02.00]B\r\n[00:03.00]C\r\n");
  CLyricLineArray lines;
  Load(path, lines);
  ShiftLines(lines, 2, 3, 10);
  LrcSaveResult r = SaveLrcFile(path, lines);
  ASSERT_TRUE(r.ok()) << r.detail;
  EXPECT_EQ(Read(), "[ti:Song]\r\n[ar:Singer]\r\n[00:01.000] A\r\n[00:12.000] B\r\n[00:13.000] C\r\n");
  CLyricLineArray again;
  Load(path, again);
  EXPECT_EQ(Times(again), (std::vector<int32_t>{1000, 12000, 13000}));
  EXPECT_EQ(FileCount(), 1u);  // no temporary file left behind
}

TEST_F(LrcSave, OutOfOrderLinesAreWrittenInTheirPlaces) {
  const std::string path = Write("[00:10.00]A\n[00:20.00]B\n");
  CLyricLineArray lines;
  Load(path, lines);
  ShiftLines(lines, 1, 1, 30);
  ASSERT_TRUE(SaveLrcFile(path, lines).ok());
  EXPECT_EQ(Read(), "[00:40.000] A\r\n[00:20.000] B\r\n");
  // A reread sorts them again, as every reader does.
  CLyricLineArray again;
  Load(path, again);
  EXPECT_EQ(Texts(again), (std::vector<std::string>{"B", "A"}));
}

TEST_F(LrcSave, Utf8AndUtf16FilesStayInTheirEncoding) {
  const std::string utf8 = "\xEF\xBB\xBF[ti:\xE6\xAD\x8C]\n[00:01.00]\xE8\xAF\x8D\n";
  std::string path = Write(utf8);
  CLyricLineArray lines;
  Load(path, lines);
  ASSERT_EQ(Texts(lines), (std::vector<std::string>{Utf8ToCp936("词")}));
  ShiftLines(lines, 1, 1, 1);
  LrcSaveResult r = SaveLrcFile(path, lines);
  ASSERT_TRUE(r.ok()) << r.detail;
  EXPECT_EQ(r.encoding, TextEncoding::Utf8Bom);
  EXPECT_EQ(Read(), "\xEF\xBB\xBF[ti:\xE6\xAD\x8C]\n[00:02.000] \xE8\xAF\x8D\r\n");

  path = Write(EncodeLyricText(Utf8ToCp936("[00:01]歌\r\n"), TextEncoding::Utf16LeBom));
  Load(path, lines);
  ShiftLines(lines, 1, 1, 2);
  ASSERT_TRUE(SaveLrcFile(path, lines).ok());
  EXPECT_EQ(Read(), EncodeLyricText(Utf8ToCp936("[00:03.000] 歌\r\n"), TextEncoding::Utf16LeBom));
}

TEST_F(LrcSave, TextGbkCannotHoldIsRefusedAndTheFileKept) {
  // 한 (Korean) has no GBK form: the editor shows it as "?".
  const std::string original = "[ar:\xED\x95\x9C]\n[00:01.00]A \xED\x95\x9C\n";
  const std::string path = Write(original);
  CLyricLineArray lines;
  Load(path, lines);
  ShiftLines(lines, 1, 1, 1);
  LrcSaveResult r = SaveLrcFile(path, lines);
  EXPECT_EQ(r.status, LrcSaveStatus::WouldLoseText);
  EXPECT_EQ(r.unmappable, 2u);
  EXPECT_EQ(Read(), original);

  // A zero byte ends the text the editor sees; what follows it would be lost.
  const std::string withZero = std::string("[00:01]A\n\0[00:02]B\n", 20);
  Write(withZero);
  Load(path, lines);
  r = SaveLrcFile(path, lines);
  EXPECT_EQ(r.status, LrcSaveStatus::WouldLoseText);
  EXPECT_EQ(r.unmappable, 0u);
  EXPECT_EQ(Read(), withZero);
  EXPECT_EQ(FileCount(), 1u);
}

TEST_F(LrcSave, ReadOnlyFileIsWrittenAndLeftWritable) {
  const std::string path = Write("[00:01]A\n");
  ASSERT_TRUE(fileio::ClearReadOnly(path));
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  ASSERT_TRUE(fileio::IsReadOnly(path));
  CLyricLineArray lines;
  Load(path, lines);
  ASSERT_TRUE(SaveLrcFile(path, lines).ok());
  EXPECT_EQ(Read(), "[00:01.000] A\r\n");
  EXPECT_FALSE(fileio::IsReadOnly(path));
}

TEST_F(LrcSave, MissingFileOrFolderIsNotWritten) {
  CLyricLineArray lines;
  ParseLrc("[00:01]A", lines);
  const std::string missing = (m_dir / "gone.lrc").string();
  EXPECT_EQ(SaveLrcFile(missing, lines).status, LrcSaveStatus::CannotRead);
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(SaveLrcFile(m_dir.string(), lines).status, LrcSaveStatus::CannotRead);
}

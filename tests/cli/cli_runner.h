// Runs the versemill program and captures what it says; gives each test a
// fresh copy of the sample songs.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace cli_test {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every file under a folder with its content, for before/after comparisons.
inline std::vector<std::pair<std::string, std::string>> Snapshot(const fs::path& root) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.emplace_back(entry.path().string(), ReadFile(entry.path()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_root = fs::temp_directory_path() /
             (std::string("vm-cli-") + info->test_suite_name() + "-" + info->name());
    fs::remove_all(m_root);
    fs::create_directories(m_root);
    m_songs = m_root / "songs";
    fs::copy(fs::path(VM_SOURCE_DIR) / "examples", m_songs, fs::copy_options::recursive);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }

  // Runs versemill with the arguments, in the folder cwd when given.
  RunResult Run(const std::vector<std::string>& args, const fs::path& cwd = {}) const {
    const fs::path outFile = m_root / "stdout.txt";
    const fs::path errFile = m_root / "stderr.txt";
    std::string command;
    if (!cwd.empty()) command = "cd " + Quote(cwd.string()) + " && ";
    command += Quote(VERSEMILL_BIN);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " >" + Quote(outFile.string()) + " 2>" + Quote(errFile.string()) + " </dev/null";
    const int raw = std::system(command.c_str());
    RunResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadFile(outFile);
    result.err = ReadFile(errFile);
    return result;
  }

  std::string Song(const std::string& relative) const { return (m_songs / relative).string(); }

  fs::path m_root;
  fs::path m_songs;
};

}  // namespace cli_test

#include "tools/clipgen/test_util.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>

#include <gtest/gtest.h>

extern char** environ;

namespace quillon::clipgen::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  path_ = fs::temp_directory_path() / ("clipgen-test-" + std::to_string(random()));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

uint32_t Le(const std::vector<uint8_t>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

void TakeFmt(const std::vector<uint8_t>& bytes, size_t at, uint32_t size, WavInfo* wav) {
  wav->fmt_size = size;
  wav->tag = static_cast<uint16_t>(Le(bytes, at, 2));
  wav->channels = static_cast<uint16_t>(Le(bytes, at + 2, 2));
  wav->sample_rate = Le(bytes, at + 4, 4);
  wav->byte_rate = Le(bytes, at + 8, 4);
  wav->block_align = static_cast<uint16_t>(Le(bytes, at + 12, 2));
  wav->bits = static_cast<uint16_t>(Le(bytes, at + 14, 2));
}

}  // namespace

ProcessResult RunProgram(const std::vector<std::string>& argv) {
  TempDir capture;
  const std::string out = (capture.path() / "out").string();
  const std::string err = (capture.path() / "err").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  ProcessResult result;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    result.err = "cannot start " + argv[0];
    return result;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadText(out);
  result.err = ReadText(err);
  return result;
}

WavInfo ReadWav(const fs::path& path) {
  const std::string text = ReadText(path);
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  WavInfo wav;
  wav.file_size = bytes.size();
  if (bytes.size() < 12 || text.compare(0, 4, "RIFF") != 0 || text.compare(8, 4, "WAVE") != 0) {
    ADD_FAILURE() << path << " is not a RIFF/WAVE file";
    return wav;
  }
  wav.riff_size = Le(bytes, 4, 4);
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id = text.substr(at, 4);
    const uint32_t size = Le(bytes, at + 4, 4);
    if (at + 8 + size > bytes.size()) {
      ADD_FAILURE() << path << ": chunk '" << id << "' runs past the end of the file";
      return wav;
    }
    wav.chunks.push_back(id);
    if (id == "fmt ") TakeFmt(bytes, at + 8, size, &wav);
    if (id == "fact") wav.fact_samples = Le(bytes, at + 8, 4);
    if (id == "data") wav.data.assign(bytes.begin() + at + 8, bytes.begin() + at + 8 + size);
    at += 8 + size + size % 2;
  }
  return wav;
}

std::vector<int16_t> Samples(const WavInfo& wav, wav::SampleFormat format) {
  std::vector<int16_t> samples(wav.data.size() / static_cast<size_t>(wav::BytesPerSample(format)));
  wav::DecodeSamples(wav.data, format, samples);
  return samples;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace quillon::clipgen::testing

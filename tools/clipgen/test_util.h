#ifndef QUILLON_TOOLS_CLIPGEN_TEST_UTIL_H_
#define QUILLON_TOOLS_CLIPGEN_TEST_UTIL_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/test_support/test_support.h"
#include "tools/wav/samples.h"

namespace quillon::clipgen::testing {

// The scratch folders, files and program runs of every plain tool's tests.
using tools::testing::ReadText;
using tools::testing::RunProgram;
using tools::testing::TempDir;
using tools::testing::WriteFile;

/// A RIFF/WAVE file taken apart: the chunk ids in file order, the fmt fields, the fact
/// sample count (0 when absent) and the bytes of the data chunk, pad byte excluded.
struct WavInfo {
  uint64_t file_size = 0;
  uint32_t riff_size = 0;
  std::vector<std::string> chunks;
  uint32_t fmt_size = 0;
  uint16_t tag = 0;
  uint16_t channels = 0;
  uint32_t sample_rate = 0;
  uint32_t byte_rate = 0;
  uint16_t block_align = 0;
  uint16_t bits = 0;
  uint32_t fact_samples = 0;
  std::vector<uint8_t> data;
};

/// Reads and takes apart `path`; fails the calling test (ADD_FAILURE) when it is not a
/// well-formed WAVE file.
WavInfo ReadWav(const std::filesystem::path& path);

/// The data chunk decoded to 16-bit linear samples.
std::vector<int16_t> Samples(const WavInfo& wav, wav::SampleFormat format);

}  // namespace quillon::clipgen::testing

#endif  // QUILLON_TOOLS_CLIPGEN_TEST_UTIL_H_

// quillon-clipgen: writes the tic, blank and silence clips of a Quillon program folder.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tools/clipgen/atomic_write.h"
#include "tools/clipgen/clip_set.h"
#include "tools/clipgen/options.h"
#include "tools/wav/samples.h"

#ifndef QUILLON_CLIPGEN_VERSION
#define QUILLON_CLIPGEN_VERSION "unknown"
#endif

namespace {

using namespace quillon::clipgen;
namespace wav = quillon::wav;

int Fail(const std::string& message, int status) {
  std::fprintf(stderr, "quillon-clipgen: %s\n", message.c_str());
  if (status == 2) std::fprintf(stderr, "Try 'quillon-clipgen --help'.\n");
  return status;
}

std::vector<OutputFile> Encode(const std::vector<Clip>& clips, const Options& options) {
  std::vector<OutputFile> files;
  files.reserve(clips.size());
  for (const Clip& clip : clips) {
    const wav::Format format =
        wav::FileFormat(options.format, static_cast<uint32_t>(options.sample_rate));
    files.push_back(
        {clip.name, wav::BuildFile(format, wav::EncodeSamples(clip.samples, options.format))});
  }
  return files;
}

int Generate(const Options& options) {
  std::string err;
  std::vector<Clip> clips;
  if (!BuildClipSet({options.sample_rate, options.level_dbm0}, &clips, &err)) {
    return Fail(err, 1);
  }
  if (!WriteFilesAtomically(options.out, Encode(clips, options), &err)) return Fail(err, 1);
  std::printf("quillon-clipgen: wrote %zu clips to %s (%s, %d Hz, %.1f dBm0)\n", clips.size(),
              options.out.c_str(), std::string(wav::SampleFormatName(options.format)).c_str(),
              options.sample_rate, options.level_dbm0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string err;
  if (!ParseOptions(argc, argv, &options, &err)) return Fail(err, 2);
  if (options.help) {
    const std::string_view usage = UsageText();
    std::fwrite(usage.data(), 1, usage.size(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("quillon-clipgen %s\n", QUILLON_CLIPGEN_VERSION);
    return 0;
  }
  return Generate(options);
}

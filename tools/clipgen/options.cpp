#include "tools/clipgen/options.h"

#include <getopt.h>

#include <charconv>
#include <string>

namespace quillon::clipgen {

namespace {

constexpr std::string_view kUsage =
    "Usage: quillon-clipgen [--format pcm16|mulaw|alaw] [--sample-rate HZ] [--level DBM0]\n"
    "                       --out DIR\n"
    "\n"
    "Writes the TTY/TDD tic clips (marktic45baud.wav ... spacetic110baud.wav) and the\n"
    "clips BlankChar.wav, smallsilence.wav and silence.wav into DIR.\n"
    "\n"
    "  --format F        sample format: pcm16 (default), mulaw or alaw (G.711)\n"
    "  --sample-rate HZ  samples per second, 4000 to 192000 (default 8000)\n"
    "  --level DBM0      tone level in dBm0, -60 to 3 (default -10)\n"
    "  --out DIR         existing folder to write the clips into\n"
    "  -h, --help        show this text\n"
    "  --version         show the version\n";

template <typename Number>
bool ParseNumber(std::string_view text, Number* value) {
  const char* end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, *value);
  return ec == std::errc() && stop == end && !text.empty();
}

bool SetSampleRate(std::string_view text, Options* options, std::string* err) {
  int rate = 0;
  if (!ParseNumber(text, &rate) || rate < kMinSampleRate || rate > kMaxSampleRate) {
    *err = "--sample-rate wants a whole number of Hz from 4000 to 192000, not '" +
           std::string(text) + "'";
    return false;
  }
  options->sample_rate = rate;
  return true;
}

bool SetLevel(std::string_view text, Options* options, std::string* err) {
  double level = 0;
  if (!ParseNumber(text, &level) || !(level >= kMinLevelDbm0 && level <= kMaxLevelDbm0)) {
    *err = "--level wants a level in dBm0 from -60 to 3, not '" + std::string(text) + "'";
    return false;
  }
  options->level_dbm0 = level;
  return true;
}

/// Takes the value of --format ('f'), --sample-rate ('r'), --level ('l') or --out ('o').
bool SetValue(int option, std::string_view value, Options* options, std::string* err) {
  if (option == 'f') {
    if (const auto format = wav::SampleFormatFromName(value)) {
      options->format = *format;
      return true;
    }
    *err = "--format wants pcm16, mulaw or alaw, not '" + std::string(value) + "'";
    return false;
  }
  if (option == 'r') return SetSampleRate(value, options, err);
  if (option == 'l') return SetLevel(value, options, err);
  if (value.empty()) {
    *err = "--out wants a folder name";
    return false;
  }
  options->out = value;
  return true;
}

}  // namespace

std::string_view UsageText() {
  return kUsage;
}

bool ParseOptions(int argc, char** argv, Options* options, std::string* err) {
  static const option kOptions[] = {{"format", required_argument, nullptr, 'f'},
                                    {"sample-rate", required_argument, nullptr, 'r'},
                                    {"level", required_argument, nullptr, 'l'},
                                    {"out", required_argument, nullptr, 'o'},
                                    {"help", no_argument, nullptr, 'h'},
                                    {"version", no_argument, nullptr, 'v'},
                                    {}};
  Options parsed;
  // "+": the first argument that is no option ends the scan (and is refused below).
  // ":": no message of getopt's own; a missing value is told apart from an unknown option.
  optind = 0;
  for (int at = 1, c; (c = getopt_long(argc, argv, "+:h", kOptions, nullptr)) != -1; at = optind) {
    if (c == 'h') {
      parsed.help = true;
    } else if (c == 'v') {
      parsed.version = true;
    } else if (c == ':') {
      *err = std::string(argv[at]) + " wants a value";
      return false;
    } else if (c == '?') {
      *err = "unknown option '" + std::string(argv[at]) + "'";
      return false;
    } else if (!SetValue(c, optarg, &parsed, err)) {
      return false;
    }
  }
  if (optind < argc) {
    *err = "unknown option '" + std::string(argv[optind]) + "'";
    return false;
  }
  if (!parsed.help && !parsed.version && parsed.out.empty()) {
    *err = "missing --out DIR, the folder to write the clips into";
    return false;
  }
  *options = parsed;
  return true;
}

}  // namespace quillon::clipgen

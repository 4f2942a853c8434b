#include "tools/clipgen/options.h"

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
    "  --help            show this text\n"
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

bool SetValue(std::string_view name, std::string_view value, Options* options, std::string* err) {
  if (name == "--format") {
    if (ParseFormatName(value, &options->format)) return true;
    *err = "--format wants pcm16, mulaw or alaw, not '" + std::string(value) + "'";
    return false;
  }
  if (name == "--sample-rate") return SetSampleRate(value, options, err);
  if (name == "--level") return SetLevel(value, options, err);
  if (value.empty()) {
    *err = "--out wants a folder name";
    return false;
  }
  options->out = value;
  return true;
}

bool TakesValue(std::string_view name) {
  return name == "--format" || name == "--sample-rate" || name == "--level" || name == "--out";
}

/// Takes the option at args[*i] and its value, "--name value" or "--name=value", moving
/// *i past the value.
bool TakeOption(std::span<const std::string_view> args, size_t* i, Options* options,
                std::string* err) {
  std::string_view name = args[*i];
  std::string_view value;
  const size_t equals = name.find('=');
  const bool inline_value = name.starts_with("--") && equals != std::string_view::npos;
  if (inline_value) {
    value = name.substr(equals + 1);
    name = name.substr(0, equals);
  }
  if (!TakesValue(name)) {
    *err = "unknown option '" + std::string(args[*i]) + "'";
    return false;
  }
  if (!inline_value) {
    if (*i + 1 >= args.size()) {
      *err = std::string(name) + " wants a value";
      return false;
    }
    value = args[++*i];
  }
  return SetValue(name, value, options, err);
}

}  // namespace

std::string_view UsageText() {
  return kUsage;
}

bool ParseOptions(std::span<const std::string_view> args, Options* options, std::string* err) {
  Options parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      parsed.help = true;
    } else if (args[i] == "--version") {
      parsed.version = true;
    } else if (!TakeOption(args, &i, &parsed, err)) {
      return false;
    }
  }
  if (!parsed.help && !parsed.version && parsed.out.empty()) {
    *err = "missing --out DIR, the folder to write the clips into";
    return false;
  }
  *options = parsed;
  return true;
}

}  // namespace quillon::clipgen

// A bounded mutation run for CI: a fixed number of inputs made from the
// target's seeds by a fixed-seed random generator, each passed to the
// target's entry point. An invariant that fails aborts, and the input that
// broke it is written to the working directory first.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "tests/fuzz/fuzz_target.h"

namespace {

std::string last_input;

// On abort: keep the input that broke an invariant, for a rerun under a debugger.
extern "C" void SaveLastInput(int signal_number) {
  const int fd = ::open("fuzz-crash-input", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) {
    [[maybe_unused]] const ssize_t written = ::write(fd, last_input.data(), last_input.size());
    ::close(fd);
  }
  static const char kMessage[] = "fuzz: invariant failed; input saved as fuzz-crash-input\n";
  [[maybe_unused]] const ssize_t said = ::write(2, kMessage, sizeof kMessage - 1);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

/// Makes one input from the pool: a few edits of one pool entry.
class Mutator {
 public:
  explicit Mutator(unsigned seed) : random_(seed) {}

  std::string Mutate(const std::vector<std::string>& pool, const std::vector<std::string>& tokens) {
    std::string s = pool[Pick(pool.size())];
    for (size_t edits = 1 + Pick(4); edits > 0; --edits) Edit(s, pool, tokens);
    return s;
  }

 private:
  size_t Pick(size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(random_);
  }

  void Edit(std::string& s, const std::vector<std::string>& pool,
            const std::vector<std::string>& tokens) {
    const size_t at = Pick(s.size() + 1);
    switch (Pick(7)) {
      case 0:  // flip a bit
        if (!s.empty()) s[Pick(s.size())] ^= static_cast<char>(1u << Pick(8));
        break;
      case 1:  // insert a random byte
        s.insert(at, 1, static_cast<char>(Pick(256)));
        break;
      case 2:  // delete a range
        s.erase(at, Pick(16) + 1);
        break;
      case 3:  // truncate
        s.resize(at);
        break;
      case 4:  // insert a token
        s.insert(at, tokens[Pick(tokens.size())]);
        break;
      case 5: {  // duplicate a range
        const std::string part = s.substr(at, Pick(32) + 1);
        s.insert(Pick(s.size() + 1), part);
        break;
      }
      default: {  // splice in part of another input
        const std::string& other = pool[Pick(pool.size())];
        const size_t from = Pick(other.size() + 1);
        s.insert(at, other.substr(from, Pick(64) + 1));
        break;
      }
    }
  }

  std::mt19937 random_;
};

}  // namespace

int main(int argc, char** argv) {
  long iterations = 10000;
  unsigned seed = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--iterations") == 0) iterations = std::atol(argv[i + 1]);
    if (std::strcmp(argv[i], "--seed") == 0) seed = static_cast<unsigned>(std::atol(argv[i + 1]));
  }
  std::signal(SIGABRT, SaveLastInput);
  std::signal(SIGSEGV, SaveLastInput);
  std::vector<std::string> pool = quillon::fuzz::Seeds();
  const std::vector<std::string> tokens = quillon::fuzz::Tokens();
  for (const std::string& input : pool) {
    last_input = input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  }
  Mutator mutator(seed);
  for (long i = 0; i < iterations; ++i) {
    last_input = mutator.Mutate(pool, tokens);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(last_input.data()), last_input.size());
    // Keep some mutants, so that edits build on each other.
    if (i % 16 == 0 && pool.size() < 512) pool.push_back(last_input);
  }
  std::printf("%ld inputs passed\n", iterations + static_cast<long>(quillon::fuzz::Seeds().size()));
  return 0;
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// One fuzz target: libFuzzer's entry point, which checks the target's
/// invariants on one input and aborts when one fails, and the inputs a run
/// starts from. The same target runs under libFuzzer (clang) and under the
/// bounded driver that CTest runs on every build.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace quillon::fuzz {

/// Inputs a run starts from: real lines and files of the kind the target reads.
std::vector<std::string> Seeds();

/// Snippets a mutation may insert: the characters the target's syntax hangs on.
std::vector<std::string> Tokens();

}  // namespace quillon::fuzz

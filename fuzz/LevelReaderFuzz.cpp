// libFuzzer entry point for the level reader: any bytes, read as a level file.
#include "LevelReaderCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem = qorv::fuzz::checkLevelBytes(
        {reinterpret_cast<const char*>(data), size}, qorv::fuzz::ThroughFile::Sampled);
    if (!problem.empty()) {
        std::fprintf(stderr, "level reader check failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}

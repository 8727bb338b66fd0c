// libFuzzer entry point for the map importer: any bytes, read as a TMX and as a JSON map.
#include "MapImportCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem =
        qorv::fuzz::checkMapBytes({reinterpret_cast<const char*>(data), size});
    if (!problem.empty()) {
        std::fprintf(stderr, "map import check failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}

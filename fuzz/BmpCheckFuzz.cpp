// libFuzzer entry point for the tile sheet loader: any bytes, checked and decoded as
// the contents of "all.bmp".
#include "TileSheetCheck.h"

#include <QByteArrayView>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem = qorv::fuzz::checkBitmapBytes(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!problem.empty()) {
        std::fprintf(stderr, "tile sheet check failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}

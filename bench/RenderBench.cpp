// The cost of redrawing the editing raster, against a plain copy of its bytes.
#include "core/Brush.h"
#include "render/Raster.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace qorv {
namespace {

QImage benchSheet() {
    QImage sheet(160, 160, QImage::Format_RGB888);
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            sheet.setPixel(x, y, qRgb(x, y, x ^ y));
    return sheet;
}

LevelGrid benchLevel() {
    LevelGrid grid;
    for (int i = 0; i < GridCells; ++i)
        grid.cells[std::size_t(i)] = TileIndex(i * 7 % 144);
    return grid;
}

// The floor: moving the raster's 864,000 bytes once.
void BM_RasterCopy(benchmark::State& state) {
    const QImage from = makeRaster();
    QImage to = makeRaster();
    for (auto _ : state) {
        std::memcpy(to.bits(), from.constBits(), std::size_t(from.sizeInBytes()));
        benchmark::DoNotOptimize(to.bits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RasterCopy);

void BM_DrawAll(benchmark::State& state) {
    const QImage sheet = benchSheet();
    const LevelGrid grid = benchLevel();
    QImage raster = makeRaster();
    for (auto _ : state) {
        benchmark::DoNotOptimize(drawAllCells(grid, sheet, raster));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawAll);

// One move of a brush stroke at the largest spin-button size: the stamp and its redraw.
void BM_Stamp25(benchmark::State& state) {
    const QImage sheet = benchSheet();
    LevelGrid grid = benchLevel();
    QImage raster = makeRaster();
    const Selection sel = selectall();
    for (auto _ : state) {
        const auto box = applybrush(grid, sel, 31, 22, 25, 2);
        benchmark::DoNotOptimize(drawRECT(grid, sheet, raster, box->x1, box->y1, box->x2, box->y2));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Stamp25);

// Fill without a shown selection repaints everything.
void BM_FillInterior(benchmark::State& state) {
    const QImage sheet = benchSheet();
    LevelGrid grid = benchLevel();
    QImage raster = makeRaster();
    const Selection sel = selectall();
    for (auto _ : state) {
        benchmark::DoNotOptimize(fillSelection(grid, sel, 2));
        benchmark::DoNotOptimize(drawAllCells(grid, sheet, raster));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillInterior);

} // namespace
} // namespace qorv

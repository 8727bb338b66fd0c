// Reading the worst maps within the bounds of interchange/MapLimits.h, at a quarter, half
// and all of MaxMapBytes: each is read or refused in time proportional to its size
// (Google Benchmark fits the times to O(N)). Before the bounds, one element of 50,000
// attributes took seconds to read, and one of 200,000 minutes.

#include "interchange/MapExport.h"
#include "interchange/MapImport.h"
#include "interchange/MapLimits.h"

#include <benchmark/benchmark.h>

namespace {

using namespace qorv::interchange;

QByteArray noFile(const QString&) {
    throw qorv::EditorError("no tileset files here");
}

// A level's map with `padding` where a map may hold anything: before the TMX map's end,
// or in the JSON map's first member.
QByteArray mapWith(MapFormat format, const QByteArray& padding) {
    QByteArray map = exportMap(qorv::LevelGrid{}, {"all.bmp", 160, 90}, format);
    if (format == MapFormat::Tmx) return map.insert(map.lastIndexOf("</map>"), padding);
    return map.insert(1, "\"p\":[" + padding + "0],");
}

// `unit` as often as it fits into a map of `bytes`.
QByteArray unitsFor(MapFormat format, const QByteArray& unit, qsizetype bytes) {
    return unit.repeated((bytes - mapWith(format, "").size()) / unit.size());
}

// An element of MaxAttributes attributes whose long names differ only at their end: the
// most work for the parser's comparison of every attribute with every other.
QByteArray mostAttributes() {
    QByteArray element = "<x";
    for (int i = 0; i < MaxAttributes; ++i)
        element += " " + QByteArray(30, 'a') + QByteArray::number(100 + i) + "=\"\"";
    return element + "/>";
}

// Elements nested `depth` deep inside the map, which is the first.
QByteArray nestedElements(int depth) {
    return QByteArray("<x>").repeated(depth - 1) + QByteArray("</x>").repeated(depth - 1);
}

void importAll(benchmark::State& state, MapFormat format, const QByteArray& map, bool accepted) {
    try {
        importMap(map, format, noFile);
        if (!accepted) return state.SkipWithError("accepted");
    } catch (const MapRefused& refused) {
        if (accepted) return state.SkipWithError(refused.what());
    }
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(importMap(map, format, noFile));
        } catch (const MapRefused& refused) {
            benchmark::DoNotOptimize(refused);
        }
    }
    state.SetComplexityN(map.size());
    state.SetBytesProcessed(state.iterations() * map.size());
}

void BM_TmxMostAttributes(benchmark::State& state) {
    const qsizetype bytes = state.range(0);
    const QByteArray units = unitsFor(MapFormat::Tmx, mostAttributes(), bytes);
    importAll(state, MapFormat::Tmx, mapWith(MapFormat::Tmx, units).leftJustified(bytes), true);
}

void BM_TmxDeepest(benchmark::State& state) {
    const qsizetype bytes = state.range(0);
    const QByteArray units = unitsFor(MapFormat::Tmx, nestedElements(MaxNesting), bytes);
    importAll(state, MapFormat::Tmx, mapWith(MapFormat::Tmx, units).leftJustified(bytes), true);
}

// As deep as allowed all through, and one element too deep at the end: read whole, refused.
void BM_TmxTooDeepAtTheEnd(benchmark::State& state) {
    const qsizetype bytes = state.range(0);
    const QByteArray tooDeep = nestedElements(MaxNesting + 1);
    const QByteArray units =
        unitsFor(MapFormat::Tmx, nestedElements(MaxNesting), bytes - tooDeep.size());
    importAll(state, MapFormat::Tmx, mapWith(MapFormat::Tmx, units + tooDeep).leftJustified(bytes),
              false);
}

// Base64 layer data as long as the map allows: decoded whole, then refused as too long.
void BM_TmxLongestLayerData(benchmark::State& state) {
    const qsizetype bytes = state.range(0);
    QByteArray map = mapWith(MapFormat::Tmx, "");
    const qsizetype from = map.indexOf("<data"), to = map.indexOf("</data>");
    const QByteArray data = "<data encoding=\"base64\">";
    const qsizetype room = bytes - map.size() + (to - from) - data.size();
    map.replace(from, to - from, data + QByteArray(room / 4 * 4, 'A'));
    importAll(state, MapFormat::Tmx, map.leftJustified(bytes), false);
}

void BM_JsonDeepest(benchmark::State& state) {
    const qsizetype bytes = state.range(0);
    const int arrays = MaxNesting - 2; // inside the map's object and the padding's array
    const QByteArray unit = QByteArray("[").repeated(arrays) + QByteArray("]").repeated(arrays);
    const QByteArray units = unitsFor(MapFormat::Json, unit + ",", bytes);
    importAll(state, MapFormat::Json, mapWith(MapFormat::Json, units).leftJustified(bytes), true);
}

// One object with as many keys as the map's size allows.
void BM_JsonMostKeys(benchmark::State& state) {
    const qsizetype bytes = state.range(0);
    const qsizetype room = bytes - mapWith(MapFormat::Json, "{},").size();
    QByteArray keys = "{";
    for (int i = 0; keys.size() < room - 16; ++i)
        keys += "\"k" + QByteArray::number(i) + "\":0,";
    keys.back() = '}';
    importAll(state, MapFormat::Json, mapWith(MapFormat::Json, keys + ",").leftJustified(bytes),
              true);
}

void mapSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->RangeMultiplier(2)
        ->Range(MaxMapBytes / 4, MaxMapBytes)
        ->Complexity(benchmark::oN)
        ->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_TmxMostAttributes)->Apply(mapSizes);
BENCHMARK(BM_TmxDeepest)->Apply(mapSizes);
BENCHMARK(BM_TmxTooDeepAtTheEnd)->Apply(mapSizes);
BENCHMARK(BM_TmxLongestLayerData)->Apply(mapSizes);
BENCHMARK(BM_JsonDeepest)->Apply(mapSizes);
BENCHMARK(BM_JsonMostKeys)->Apply(mapSizes);

} // namespace

// The checks the fuzz targets run, compiled into the replay test from the one place they
// live, so that the test and the fuzzers can never check different things.
#include "../../fuzz/LevelReaderCheck.cpp"
#include "../../fuzz/MapImportCheck.cpp"
#include "../../fuzz/TileSheetCheck.cpp"

#pragma once
// The properties every map importer input must keep, shared by the fuzzer and the corpus
// replay test: the importer, read as TMX and as JSON, either refuses the bytes with
// MapRefused or gives a level, and that level exported in either format imports back
// unchanged, with no empty cell.

#include <string>
#include <string_view>

namespace qorv::fuzz {

// Checks one input. Returns "" when every property holds, otherwise what went wrong.
std::string checkMapBytes(std::string_view bytes);

} // namespace qorv::fuzz

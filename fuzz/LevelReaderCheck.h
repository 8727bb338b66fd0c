#pragma once
// The properties every level reader input must keep, shared by the fuzzer and the
// corpus replay test: a read either fails with an IoError or gives a level that
// writes out as a whole level file and reads back the same.

#include <string>
#include <string_view>

namespace qorv::fuzz {

// Whether the bytes are also written to a file and read with loadQRE, whose result
// must agree with parseLevel's. Files are slow, so the fuzzer does it for a sample.
enum class ThroughFile { Never, Always, Sampled };

// Checks one input. Returns "" when every property holds, otherwise what went wrong.
std::string checkLevelBytes(std::string_view bytes, ThroughFile throughFile);

} // namespace qorv::fuzz

#pragma once
// The properties every tile sheet input must keep, shared by the fuzzer and the corpus
// replay test: bytes that isSoundBmp refuses are "Bitmap image is not valid", and bytes
// it accepts decode to a 24-bit image of the size the header gives, within the limits.

#include <QByteArrayView>

#include <string>

namespace qorv::fuzz {

// Checks one input. Returns "" when every property holds, otherwise what went wrong.
std::string checkBitmapBytes(QByteArrayView bytes);

} // namespace qorv::fuzz

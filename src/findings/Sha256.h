#pragma once
// SHA-256 (FIPS 180-4), for the fingerprints of GitLab's report: a name crafted in a pull
// request must not be able to take another failure's fingerprint, which a 64-bit hash allows.
// The findings library links nothing, so Qt's QCryptographicHash is out of its reach.

#include <string>
#include <string_view>

namespace qorv::findings {

// The digest of `bytes` as 64 lower-case hex digits.
std::string sha256Hex(std::string_view bytes);

} // namespace qorv::findings

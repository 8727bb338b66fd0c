#include "core/RecoveryFile.h"

#include <algorithm>
#include <charconv>

namespace qorv {

namespace {
constexpr std::string_view Magic = "QorvEdit recovery 1 ";
}

std::string formatRecoveryFile(const RecoveredLevel& level) {
    std::string bytes(Magic);
    bytes += std::to_string(level.name.size());
    bytes += '\n';
    bytes += level.name;
    bytes += '\n';
    bytes.append(reinterpret_cast<const char*>(level.grid.cells.data()), level.grid.cells.size());
    return bytes;
}

std::optional<RecoveredLevel> parseRecoveryFile(std::string_view bytes) {
    if (!bytes.starts_with(Magic)) return std::nullopt;
    bytes.remove_prefix(Magic.size());
    // The length: decimal digits only, no sign, no leading zero but for "0" itself.
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), length);
    const std::size_t digits = std::size_t(end - bytes.data());
    if (error != std::errc() || digits == 0 || (digits > 1 && bytes[0] == '0')) return std::nullopt;
    if (length > MaxRecoveredNameBytes) return std::nullopt;
    bytes.remove_prefix(digits);
    if (bytes.size() != 1 + length + 1 + GridCells) return std::nullopt;
    if (bytes[0] != '\n' || bytes[1 + length] != '\n') return std::nullopt;

    RecoveredLevel level;
    level.name.assign(bytes.substr(1, length));
    const std::string_view grid = bytes.substr(2 + length);
    std::copy(grid.begin(), grid.end(), level.grid.cells.begin());
    return level;
}

} // namespace qorv

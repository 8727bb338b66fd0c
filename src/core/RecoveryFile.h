#pragma once
// The recovery file's content: what an editor that ends unexpectedly leaves behind so
// that the next start can offer its level back. One header line names the format and
// the length of the level's file name, then the name's bytes (any bytes: a file name
// need not be text), a line end, and the 2,880 bytes of the grid as they are in memory.
//
//   QorvEdit recovery 1 <name length>\n<name bytes>\n<grid bytes>

#include "core/LevelGrid.h"

#include <optional>
#include <string>
#include <string_view>

namespace qorv {

struct RecoveredLevel {
    std::string name; // the level's file name as the system spells it; empty: never named
    LevelGrid grid;
    bool operator==(const RecoveredLevel&) const = default;
};

// The longest file name recorded, as the system allows for a path.
inline constexpr std::size_t MaxRecoveredNameBytes = 4096;

std::string formatRecoveryFile(const RecoveredLevel& level);

// The level of a recovery file, or nothing when the bytes are not exactly one whole
// recovery file of this format (damaged, cut short, grown, or of another version).
std::optional<RecoveredLevel> parseRecoveryFile(std::string_view bytes);

} // namespace qorv

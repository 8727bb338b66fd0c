#include "tools/RemapTable.h"

#include "core/CharTable.h"
#include "text/Message.h"
#include "tools/InputFile.h"
#include "tools/Reporting.h"
#include "tools/TileArgument.h"

#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

namespace {

constexpr qsizetype MaxTableFileBytes = qsizetype{1} << 20;

// The pairs read so far; each returns what is wrong with the next one, empty when nothing is.
class TableBuilder {
  public:
    std::string add(std::optional<int> from, std::optional<int> to, std::string_view shape) {
        if (!from || !to) return "not " + std::string(shape) + " with tiles 0 to 255";
        if (replaced_[std::size_t(*from)])
            return "tile " + std::to_string(*from) + " is replaced twice";
        if (!qorv::M2O(qorv::TileIndex(*to)))
            return "no level file can hold tile " + std::to_string(*to);
        replaced_.set(std::size_t(*from));
        map_[std::size_t(*from)] = qorv::TileIndex(*to);
        return {};
    }
    const qorv::TileMap& map() const { return map_; }

  private:
    qorv::TileMap map_ = qorv::identityTileMap();
    std::bitset<256> replaced_;
};

qorv::TileMap tableInArgument(const std::string& table) {
    TableBuilder built;
    for (const std::string_view entry : splitText(table, ',')) {
        const auto equals = entry.find('=');
        const std::string wrong = equals == std::string_view::npos
                                      ? built.add(std::nullopt, std::nullopt, "OLD=NEW")
                                      : built.add(tileNumber(entry.substr(0, equals)),
                                                  tileNumber(entry.substr(equals + 1)), "OLD=NEW");
        if (!wrong.empty())
            throw RemapTableError(trimmed(entry).empty()
                                      ? "'': " + wrong // as the shell shows it
                                      : qorv::text::about(trimmed(entry), wrong));
    }
    return built.map();
}

qorv::TileMap tableInFile(const QString& name) {
    const QByteArray bytes =
        aboutFile(name, [&] { return readInputFile(name, MaxTableFileBytes); });
    TableBuilder built;
    int number = 0;
    for (const std::string_view whole : splitText(std::string_view(bytes), '\n')) {
        ++number;
        const std::string_view line = trimmed(whole);
        if (line.empty() || line.front() == '#') continue;
        const auto gap = line.find_first_of(" \t");
        const std::string wrong = gap == std::string_view::npos
                                      ? built.add(std::nullopt, std::nullopt, "OLD NEW")
                                      : built.add(tileNumber(line.substr(0, gap)),
                                                  tileNumber(line.substr(gap)), "OLD NEW");
        if (!wrong.empty())
            throw RemapTableError(qorv::text::aboutLine(fileName(name), number, wrong));
    }
    return built.map();
}

bool isTableItself(std::string_view table) {
    return !table.empty() && table.front() >= '0' && table.front() <= '9';
}

} // namespace

std::string remapTableProblem(std::string_view table) {
    if (!isTableItself(table)) return {};
    try {
        tableInArgument(std::string(table));
        return {};
    } catch (const RemapTableError& wrong) {
        // A table of one entry is that entry: the message names it once.
        std::string reason = wrong.what();
        const std::string entry = qorv::text::about(trimmed(table), "");
        if (reason.starts_with(entry)) reason.erase(0, entry.size());
        return reason;
    }
}

qorv::TileMap readRemapTable(const QString& table) {
    if (isTableItself(fileName(table))) return tableInArgument(fileName(table));
    try {
        return tableInFile(table);
    } catch (const RemapTableError&) {
        throw;
    } catch (const qorv::EditorError& failure) {
        throw RemapTableError(failure.what());
    }
}

} // namespace app

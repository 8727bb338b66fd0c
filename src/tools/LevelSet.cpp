#include "tools/LevelSet.h"

#include "errors/IoError.h"
#include "levelio/LevelFile.h"
#include "storage/FolderFiles.h"
#include "text/Message.h"
#include "text/Quoting.h"
#include "tools/InputFile.h"
#include "tools/LevelTools.h"
#include "tools/Reporting.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <mutex>

namespace app {

namespace {

// The level in the file, or why it cannot be read in the words of every command.
LevelRead readLevelFile(const SetLevel& level) {
    try {
        return qorv::levelFromFile(readInput(level.file, qorv::MaxLevelFileRead));
    } catch (const qorv::EditorError& error) {
        LevelFailure failure{levelFailure(level.file, error)};
        if (const auto* at = dynamic_cast<const qorv::LevelTextError*>(&error)) {
            failure.line = at->where().line;
            failure.column = at->where().column;
        }
        // Markers whose every cell merges hold no conflict to show: such a file is no level.
        if (const auto* conflict = dynamic_cast<const qorv::UnresolvedConflict*>(&error);
            conflict && conflict->shared() && !conflict->level().conflicts.empty())
            failure.conflicted = conflict->shared();
        return failure;
    }
}

} // namespace

// Standard input can be read once: every "-" of a set shares what that read gave. Levels are
// read by several threads at once, hence the once_flag.
class StandardInput {
  public:
    const LevelRead& read(const SetLevel& level) {
        std::call_once(once_, [&] { read_ = readLevelFile(level); });
        return read_;
    }

  private:
    std::once_flag once_;
    LevelRead read_;
};

namespace {

const char NotText[] = "not a name this system can spell in text; rename the file";

bool hasLevelExtension(std::string_view name) {
    const auto endsWith = [&](std::string_view extension) {
        return name.size() >= extension.size() &&
               std::ranges::equal(
                   name.substr(name.size() - extension.size()), extension,
                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    };
    return endsWith(".qre") || endsWith(".qrl");
}

SetLevel givenLevel(const QString& argument, const std::shared_ptr<StandardInput>& input) {
    if (isUnspellable(argument)) {
        // Its text, for what looks at its folder (sheets, rules), is as near as text comes.
        const QByteArray bytes = argument.mid(1).toLatin1();
        return {QFile::decodeName(bytes), bytes.toStdString(), bytes.toStdString(), NotText,
                nullptr};
    }
    SetLevel level{argument, fileName(argument), fileName(argument), std::nullopt, nullptr};
    if (argument == u"-") level.input = input;
    return level;
}

// FOLDER/NAME as the system spells it; a name that is not text keeps its bytes for messages.
SetLevel listedLevel(const QString& folder, std::string relative,
                     std::optional<std::string> failure = std::nullopt) {
    const QString name = QFile::decodeName(QByteArray::fromStdString(relative));
    SetLevel level{namedIn(folder, name), {}, std::move(relative), std::move(failure), nullptr};
    const std::string prefix = fileName(folder);
    level.path = prefix.ends_with('/') ? prefix + level.relative : prefix + '/' + level.relative;
    if (!level.failure && fileName(name) != level.relative) level.failure = NotText;
    return level;
}

} // namespace

QString unspellableArgument(const QByteArray& bytes) {
    return QChar(0) + QString::fromLatin1(bytes);
}

bool isUnspellable(const QString& argument) {
    return argument.startsWith(QChar(0));
}

std::optional<LevelSet> levelsOfFolder(const QString& folder, bool recursive) {
    std::optional<qorv::FolderWalk> walk = qorv::walkFolder(fileName(folder), recursive);
    if (!walk) return std::nullopt;
    std::erase_if(walk->files, [](const std::string& name) { return !hasLevelExtension(name); });
    std::ranges::sort(walk->files);
    LevelSet levels;
    levels.reserve(walk->files.size() + walk->unlisted.size());
    for (std::string& name : walk->files)
        levels.push_back(listedLevel(folder, std::move(name)));
    // A folder below that cannot be listed may hold levels: it is told, never passed over.
    for (auto& [name, error] : walk->unlisted)
        levels.push_back(
            listedLevel(folder, std::move(name), qorv::ioErrorFromErrno(error, name).what()));
    return levels;
}

LevelSet levelSet(const QStringList& arguments, bool recursive) {
    LevelSet levels;
    std::shared_ptr<StandardInput> input;
    for (const QString& argument : arguments) {
        if (argument == u"-" && !input) input = std::make_shared<StandardInput>();
        std::optional<LevelSet> listed;
        if (argument != u"-" && !isUnspellable(argument) && qorv::isFolder(fileName(argument)))
            listed = levelsOfFolder(argument, recursive);
        if (listed)
            std::ranges::move(*listed, std::back_inserter(levels));
        else
            levels.push_back(givenLevel(argument, input));
    }
    return levels;
}

LevelSet levelsAsGiven(const QStringList& arguments) {
    LevelSet levels;
    std::shared_ptr<StandardInput> input;
    for (const QString& argument : arguments) {
        if (argument == u"-" && !input) input = std::make_shared<StandardInput>();
        levels.push_back(givenLevel(argument, input));
    }
    return levels;
}

QStringList fileNames(const LevelSet& levels) {
    QStringList names;
    names.reserve(qsizetype(levels.size()));
    for (const SetLevel& level : levels)
        names << level.file;
    return names;
}

LevelRead readSetLevel(const SetLevel& level) {
    if (level.failure) return LevelFailure{*level.failure};
    if (level.input) return level.input->read(level);
    return readLevelFile(level);
}

qorv::LevelGrid requireLevel(const SetLevel& level) {
    LevelRead read = readSetLevel(level);
    if (auto* failure = std::get_if<LevelFailure>(&read))
        throw qorv::EditorError(aboutLevel(level, failure->reason));
    return std::get<qorv::LevelGrid>(std::move(read));
}

std::string aboutLevel(const SetLevel& level, std::string_view reason) {
    return qorv::text::about(level.path, reason);
}

QString namedIn(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace app

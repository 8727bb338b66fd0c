#include "tools/OutputFile.h"

#include "storage/SafeReplace.h"
#include "storage/SaveTarget.h"
#include "tools/Console.h"
#include "tools/Invocation.h"
#include "tools/Reporting.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace app {

namespace {

// Follows links: a link to /dev/null is as much a device as /dev/null itself. Whatever
// cannot be looked at here is left to the writer, which says why.
bool existsAsOtherThanFile(const QString& output) {
    struct stat info {};
    return ::stat(fileName(output).c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// The name with its links and dots resolved, for a file that may not exist yet.
std::optional<std::filesystem::path> resolvedName(const QString& name) {
    std::error_code unknown;
    const std::filesystem::path absolute = std::filesystem::absolute(fileName(name), unknown);
    if (unknown) return std::nullopt;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, unknown);
    if (unknown) return std::nullopt;
    return resolved;
}

// By any name or link; for a file not made yet (the other output of a command), by its name.
bool sameFile(const QString& one, const QString& other) {
    std::error_code unknown;
    if (std::filesystem::equivalent(fileName(one), fileName(other), unknown)) return true;
    const std::optional<std::filesystem::path> first = resolvedName(one);
    return first && first == resolvedName(other);
}

// The tools name the folder that is missing where the editor only says "Invalid filename".
std::string missingFolderOf(const QString& output, const qorv::EditorError& failure) {
    const auto* io = dynamic_cast<const qorv::IoError*>(&failure);
    if (!io || io->code() != qorv::iocode::PathNotFound) return failure.what();
    const std::string path = fileName(output);
    for (auto slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 && errno == ENOENT)
            return "the folder " + quotedName(QByteArray::fromStdString(folder)).toStdString() +
                   " does not exist";
    }
    return failure.what();
}

bool isStandardOutput(const QString& output, const Console* standardOutput) {
    return standardOutput && output == u"-";
}

} // namespace

void failToWrite(const QString& output, const QString& why) {
    throw qorv::EditorError("Cannot write " + about(output, why.toStdString()));
}

void aboutOutput(const QString& output, const std::function<void()>& write) {
    aboutFile(output, write, "Cannot write ", missingFolderOf);
}

void prepareOutputFolder(const QString& folder) {
    aboutOutput(folder, [&] { qorv::openOutputFolder(fileName(folder)); });
}

void checkOutputFile(const QString& output, const QStringList& inputs,
                     const Console* standardOutput) {
    if (isStandardOutput(output, standardOutput)) return;
    if (existsAsOtherThanFile(output))
        failToWrite(output, QStringLiteral("it is not a regular file"));
    for (const QString& input : inputs) {
        if (sameFile(input, output))
            failToWrite(output, QStringLiteral("it is the input %1").arg(quotedName(input)));
    }
    aboutOutput(output, [&] { qorv::checkReplaceable(fileName(output)); });
}

void checkOutputs(const Invocation& invocation, const QStringList& inputs,
                  const Console& standardOutput) {
    QStringList outputs;
    for (const NamedOutput& named : invocation.namedOutputs)
        outputs << named.name;
    for (const NamedOutput& named : invocation.namedOutputs) {
        const QString& output = named.name;
        if (named.written == Written::Level) {
            checkOutputFile(output, {}, &standardOutput);
            continue;
        }
        QStringList others = outputs;
        others.removeOne(output);
        for (const QString& other : others)
            if (sameFile(other, output))
                failToWrite(output, QStringLiteral("it is the output %1").arg(quotedName(other)));
        checkOutputFile(output, inputs);
    }
}

void writeOutputFile(const QString& output, std::string_view bytes, const QStringList& inputs,
                     Console* standardOutput) {
    if (isStandardOutput(output, standardOutput)) {
        standardOutput->write(bytes);
        return;
    }
    checkOutputFile(output, inputs);
    aboutOutput(output, [&] { qorv::replaceFileContent(fileName(output), bytes); });
}

void writeOutputFile(const QString& output, const QByteArray& bytes, const QStringList& inputs,
                     Console* standardOutput) {
    writeOutputFile(output, std::string_view(bytes.data(), std::size_t(bytes.size())), inputs,
                    standardOutput);
}

} // namespace app

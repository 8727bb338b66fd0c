#pragma once
// The files of the level comparison tools: names as messages show them, levels read with
// their name in the error, and every output written through the one safe replacement.

#include "core/LevelGrid.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// The name for a message: as it is, or in double quotes with C escapes when it holds
// control characters, which would otherwise forge or hide lines of the message.
std::string shownName(const QString& name);

// Reads a level. Throws EditorError "NAME: message" with the reader's message.
qorv::LevelGrid readLevelNamed(const QString& name);

// The same, but an empty file (git's stand-in for a missing common ancestor) gives nothing.
std::optional<qorv::LevelGrid> readBaseLevel(const QString& name);

// Writes `bytes` as the whole content of `name` through qorv::replaceFileContent. An output
// that exists and is no regular file is refused. Throws EditorError "Cannot write NAME: ...".
void writeOutputFile(const QString& name, std::string_view bytes);

// A picture as the bytes of its PNG file.
std::string pngBytes(const QImage& picture);

// A picture must never replace one of the files it was made from ("--png a.qre" by slip):
// throws EditorError when `output` is one of `inputs`, by any name or link.
void requireNoInput(const QString& output, const QStringList& inputs);

// Writes `text` to `out` and makes sure it got there: a full disk or a closed pipe behind
// standard output is a failure, not a silently short result. Throws EditorError.
void writeText(std::FILE* out, std::string_view text);

} // namespace app

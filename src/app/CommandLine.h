#pragma once
// What the program was asked to do, read from its arguments before any window or display
// is touched: edit (optionally one level), check levels, render one, compare or merge
// levels, or print a text.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace app {

struct Invocation {
    enum class Mode {
        Edit,
        Check,
        Render,
        RenderMany,
        Export,
        Import,
        Diff,
        TextConv,
        Merge,
        Help,
        Version,
        Usage
    };
    Mode mode = Mode::Edit;
    QStringList levels; // Edit: none or one; Check, RenderMany: one or more; Render, Export,
                        // TextConv: one; Import: the map; Diff: A and B; Merge: BASE, OURS
                        // and THEIRS
    QString output;     // Render: the image to write; Export: the map; Import, Merge: the
                        // level; RenderMany: the folder
    QString picture;    // Diff, Merge: the PNG of the changed or conflicting cells; empty: none
    QString tiles;      // Render, RenderMany, Export, Diff, Merge: the tile sheet; empty:
                        // "all.bmp" beside the level drawn
    QString error;      // Usage: what is wrong with the arguments
};

// Reads the arguments, the program's name first, as the user gave them.
Invocation parseCommandLine(const QStringList& arguments);

// The same, from the bytes the program was given. File names are bytes, and the program
// works with them as text: a name whose bytes are not text in the system's encoding would
// turn into another name and fail as "File not found", so it is refused, and said so.
Invocation parseCommandLine(const QList<QByteArray>& arguments);

// The text of --help.
QString helpText();

// The text of --version.
QString versionText();

} // namespace app

#pragma once
// A set of levels as the commands over many levels take it: a LEVEL argument that is a folder
// stands for the levels in it.

#include <QString>
#include <QStringList>

#include <vector>

namespace app {

// The levels `arguments` name, in their order: a folder is replaced by its files named *.qre
// and *.qrl (its sub-folders are not entered), in the byte order of their names; anything
// else stays as it is, for its reader to accept or refuse. A folder that cannot be listed
// stays too, so that reading it says why.
std::vector<QString> expandLevels(const QStringList& arguments);

} // namespace app

#pragma once
// The levels of a set: the commands about a game's levels as a whole take a folder as the
// levels in it.

#include <QStringList>

namespace app {

// `arguments` with each folder replaced by its levels: the regular files whose names end in
// ".qre" or ".qrl" (in any case, as the level browser lists them), in the byte order of their
// names, as "FOLDER/NAME". A name that is not text in the system's encoding is left out, as
// the browser leaves it out. Any other argument, and a folder that cannot be listed, stays as
// given, so that reading it reports what is wrong with it.
QStringList expandLevels(const QStringList& arguments);

} // namespace app

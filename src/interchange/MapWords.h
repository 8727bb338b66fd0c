#pragma once
// Words read from a map (a layer's name, its orientation, an encoding) in a refusal or a note.
// A map is anyone's file: a layer named "\e]0;PWN\a" must not retitle the terminal it is
// printed on.

#include <QStringView>

#include <string>

namespace qorv::interchange {

// The word's first `limit` characters in double quotes, quoted inside as every message quotes
// outside text: "isometric", "''$'\033'']0;PWN'$'\a'".
std::string mapWord(QStringView word, qsizetype limit = 40);

} // namespace qorv::interchange

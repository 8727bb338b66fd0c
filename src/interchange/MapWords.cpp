#include "interchange/MapWords.h"

#include "text/Quoting.h"

#include <QString>

namespace qorv::interchange {

std::string mapWord(QStringView word, qsizetype limit) {
    return '"' + text::quoted(word.left(limit).toUtf8().toStdString()) + '"';
}

} // namespace qorv::interchange

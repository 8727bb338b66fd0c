// Writes the manual page or the bash completion that the table of modes makes
// (src/cli/ManPage.h), for the build to install:
//   qorv_make_command_docs man|bash OUT
#include "cli/ManPage.h"

#include <QFile>
#include <QString>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "man") != 0 && std::strcmp(argv[1], "bash") != 0)) {
        std::fputs("usage: qorv_make_command_docs man|bash OUT\n", stderr);
        return 2;
    }
    const QString text = std::strcmp(argv[1], "man") == 0 ? app::manPage() : app::bashCompletion();
    QFile out(QFile::decodeName(argv[2]));
    const QByteArray bytes = text.toUtf8();
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size() ||
        !out.flush()) {
        std::fprintf(stderr, "qorv_make_command_docs: %s: %s\n", argv[2],
                     out.errorString().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

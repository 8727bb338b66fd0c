#pragma once
// The benchmark program's one application object. Qt allows one per process: a plain
// QCoreApplication made first for QProcess would leave the window benchmarks that run later
// in the same program without windows ("not exposed").

#include <QApplication>
#include <QStringList>

namespace bench {

// The editor's own application object on the offscreen platform (unless another is set),
// made at the first call and never destroyed.
QApplication& application();

// Runs qorvedit with `arguments` to its end; false when it did not end with `status`.
bool runEditor(const QStringList& arguments, int status = 0);

} // namespace bench

#pragma once
// The benchmark program's one application object. Qt allows one per process: a plain
// QCoreApplication made first for QProcess would leave the window benchmarks that run later
// in the same program without windows ("not exposed").

#include <QApplication>

namespace bench {

// The editor's own application object on the offscreen platform (unless another is set),
// made at the first call and never destroyed.
QApplication& application();

} // namespace bench

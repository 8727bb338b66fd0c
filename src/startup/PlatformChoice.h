#pragma once
// Which Qt platform the editor asks for. Its window placements and its always-on-top tools
// window need X11, so on a Wayland session it prefers X11 through XWayland; only without
// XWayland does it run on Wayland itself, where the compositor places the windows.

#include <QProcessEnvironment>
#include <QString>

#include <cstdio>

namespace app {

struct PlatformChoice {
    QString platform; // the value for QT_QPA_PLATFORM; empty: leave Qt's own choice
    QString notice;   // one line for standard error; empty: nothing to say
};

// A pure function of the environment the program was started in.
PlatformChoice choosePlatform(const QProcessEnvironment& environment);

// Whether a window can be shown at all: a display to connect to, or a platform other than
// X11 that the user chose (QT_QPA_PLATFORM, such as "offscreen"). Without one Qt aborts.
bool displayFound(const QProcessEnvironment& environment);

// Sets QT_QPA_PLATFORM for the coming QApplication and prints the notice, if any, to
// `notices`.
void applyPlatformChoice(const PlatformChoice& choice, std::FILE* notices = stderr);

} // namespace app

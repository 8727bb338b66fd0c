// The Qt platform chosen from the environment the editor starts in.

#include "startup/PlatformChoice.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    QStringList variables; // NAME=value
    const char* platform;  // "": Qt's own choice
    bool notice;
};

const Row Rows[] = {
    {{}, "", false},
    {{"DISPLAY=:0"}, "", false},
    {{"DISPLAY=:0", "XDG_SESSION_TYPE=x11"}, "", false},
    // Wayland with XWayland: X11 through XWayland, for the placements and the tools on top.
    {{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}, "xcb", false},
    {{"XDG_SESSION_TYPE=wayland", "DISPLAY=:1"}, "xcb", false},
    {{"XDG_SESSION_TYPE=Wayland", "DISPLAY=:1"}, "xcb", false},
    // Wayland alone: Wayland, and say that the compositor places the windows.
    {{"WAYLAND_DISPLAY=wayland-0"}, "wayland", true},
    {{"XDG_SESSION_TYPE=wayland"}, "wayland", true},
    {{"XDG_SESSION_TYPE=wayland", "DISPLAY="}, "wayland", true},
    {{"WAYLAND_DISPLAY=", "XDG_SESSION_TYPE=tty"}, "", false},
    // The user's own choice always holds.
    {{"QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=w", "DISPLAY=:0"}, "", false},
    {{"QT_QPA_PLATFORM=offscreen", "XDG_SESSION_TYPE=wayland"}, "", false},
    {{"QT_QPA_PLATFORM=xcb"}, "", false},
};

TEST(PlatformChoice, FollowsTheSessionAndTheUsersOwnChoice) {
    for (const Row& row : Rows) {
        QProcessEnvironment environment;
        for (const QString& variable : row.variables)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        const app::PlatformChoice choice = app::choosePlatform(environment);
        const std::string trace = row.variables.join(' ').toStdString();
        EXPECT_EQ(choice.platform, row.platform) << trace;
        EXPECT_EQ(!choice.notice.isEmpty(), row.notice) << trace;
        if (row.notice) {
            EXPECT_TRUE(choice.notice.contains("window placement")) << trace;
        }
    }
}

TEST(PlatformChoice, ADisplayIsFoundOnlyWhereQtCanShowAWindow) {
    const std::pair<QStringList, bool> rows[] = {
        {{}, false},
        {{"DISPLAY=", "WAYLAND_DISPLAY="}, false},
        {{"DISPLAY=:0"}, true},
        {{"WAYLAND_DISPLAY=wayland-0"}, true},
        {{"QT_QPA_PLATFORM=offscreen"}, true},
        {{"QT_QPA_PLATFORM=xcb"}, false},
        {{"QT_QPA_PLATFORM=xcb", "DISPLAY=:3"}, true},
    };
    for (const auto& [variables, found] : rows) {
        QProcessEnvironment environment;
        for (const QString& variable : variables)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        EXPECT_EQ(app::displayFound(environment), found) << variables.join(' ').toStdString();
    }
}

// Qt's application object reads its platform from QT_QPA_PLATFORM: the choice is applied
// there, and no choice leaves what is set as it is. The notice is printed.
TEST(PlatformChoice, IsAppliedThroughQtsVariable) {
    const char* name = "QT_QPA_PLATFORM";
    const bool wasSet = qEnvironmentVariableIsSet(name);
    const QByteArray before = qgetenv(name);
    std::FILE* notices = std::tmpfile();
    ASSERT_NE(notices, nullptr);
    app::applyPlatformChoice({QStringLiteral("xcb"), QString()}, notices);
    EXPECT_EQ(qgetenv(name), "xcb");
    app::applyPlatformChoice({QString(), QStringLiteral("Said once.")}, notices);
    EXPECT_EQ(qgetenv(name), "xcb");
    std::rewind(notices);
    char said[32] = {};
    EXPECT_EQ(std::fread(said, 1, sizeof said - 1, notices), 11u);
    EXPECT_STREQ(said, "Said once.\n");
    std::fclose(notices);
    if (wasSet)
        qputenv(name, before);
    else
        qunsetenv(name);
}
} // namespace

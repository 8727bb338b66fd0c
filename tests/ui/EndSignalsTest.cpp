// SIGTERM, SIGINT and SIGHUP each end the event loop normally, with status 0.

#include "EditorFixture.h"

#include "platform/Dialogs.h"
#include "ui/EndSignals.h"

#include <csignal>

TEST(EndSignals, EachEndsTheEventLoopNormally) {
    QApplication& app = testing_ui::application();
    platform::QtDialogs dialogs;
    const ui::EndSignals ends(dialogs);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ASSERT_EQ(::raise(signal), 0);      // one not handled ends the test program here
        EXPECT_EQ(app.exec(), 0) << signal; // returns once the signal has ended the loop
    }
    EXPECT_TRUE(ends.received());
}

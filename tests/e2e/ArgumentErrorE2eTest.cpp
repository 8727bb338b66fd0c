// A level named on the command line that cannot be opened: its error box comes once the
// editor's windows are up, instead of standing alone before any of them exists.

#include "e2e/EditorSession.h"
#include "e2e/Processes.h"

namespace e2e {
namespace {

class ArgumentError : public EditorSession {
  protected:
    bool startsAtSetUp() const override { return false; }
    Launch launch() override {
        Launch how = EditorSession::launch();
        how.arguments = {QStringLiteral("missing.qre")};
        return how;
    }
};

TEST_P(ArgumentError, ItsBoxComesOnceTheWindowsAreUp) {
    ASSERT_EQ(startProgram(), QString());
    ASSERT_TRUE(waitForBox()) << "no error box for the missing level";
    EXPECT_EQ(findPlaces(QStringLiteral("QorvEdit")), QString()) << "the windows stand in place";
}

INSTANTIATE_TEST_SUITE_P(Desktops, ArgumentError, ::testing::Values(Desktop::WindowManager),
                         desktopName);

} // namespace
} // namespace e2e

// The installed program, started from a menu in a folder without a tile sheet: it uses the
// project's own tile sheet installed with it. tests/desktop/integration.sh installs into a
// temporary prefix and runs this with QORV_INSTALL_PREFIX pointing there.

#include "e2e/EditorSession.h"

#include <QFile>

namespace e2e {
namespace {

// The picture of `level` drawn from `sheet`, tile t from ((t % 16) * 10, (t / 16) * 10).
QImage pictureOf(const Level& level, const QImage& sheet) {
    QImage picture(Columns * Cell, Rows * Cell, QImage::Format_RGB32);
    for (int x = 0; x < Columns; ++x)
        for (int y = 0; y < Rows; ++y)
            for (int dx = 0; dx < Cell; ++dx)
                for (int dy = 0; dy < Cell; ++dy) {
                    const int tile = level.at(x, y);
                    picture.setPixel(x * Cell + dx, y * Cell + dy,
                                     sheet.pixel(tile % 16 * Cell + dx, tile / 16 * Cell + dy));
                }
    return picture;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class InstalledEditor : public EditorSession {
  protected:
    void SetUp() override {
        prefix_ = qEnvironmentVariable("QORV_INSTALL_PREFIX");
        if (prefix_.isEmpty())
            GTEST_SKIP() << "run by tests/desktop/integration.sh, which installs the editor";
        ASSERT_TRUE(empty_.isValid());
        EditorSession::SetUp();
    }

    Launch launch() override {
        return {prefix_ + QStringLiteral("/bin/qorvedit"),
                {},
                empty_.path(),
                Level::fresh(),
                QStringLiteral("QorvEdit"),
                pictureOf(Level::fresh(), installedSheet())};
    }

    QImage installedSheet() const {
        return QImage(prefix_ + QStringLiteral("/share/qorvedit/all.bmp"));
    }

    QString prefix_;
    QTemporaryDir empty_;
};

TEST_P(InstalledEditor, StartedInAnEmptyFolderUsesTheInstalledTileSheet) {
    EXPECT_EQ(bytesOf(prefix_ + QStringLiteral("/share/qorvedit/all.bmp")),
              bytesOf(QStringLiteral(QORV_EXAMPLES_DIR "/all.bmp")))
        << "the project's own tile sheet is installed";
    // The start checked the raster; the palette shows the sheet's first seven rows.
    EXPECT_TRUE(screenShows(onTools(QRect(2, 86, 160, 70)), installedSheet().copy(0, 0, 160, 70)));
}

INSTANTIATE_TEST_SUITE_P(Desktops, InstalledEditor, ::testing::Values(Desktop::WindowManager),
                         desktopName);

} // namespace
} // namespace e2e

#include "EditorFixture.h"

#include "startup/LevelFolder.h"
#include "levelio/LevelFile.h"

#include <QFile>
#include <QListWidget>
#include <QMouseEvent>

namespace testing_ui {

QApplication& application() {
    static int argc = 1;
    static char name[] = "qorv_ui_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own statics may already be gone when exit handlers run.
    static QApplication* app = [] {
        // As X11's platform plugin does: the editor must turn the merging of queued moves
        // off again, whatever the platform chose.
        QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, true);
        return ui::makeApplication(argc, argv, nullptr).release();
    }();
    return *app;
}

QImage syntheticSheet() {
    QImage sheet(160, 160, QImage::Format_RGB888);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x)
            sheet.setPixel(x, y, qRgb(x, y, 77));
    return sheet;
}

void writeSheet(const QString& path) {
    ASSERT_TRUE(syntheticSheet().save(path, "BMP"));
}

void EditorFixture::useOwnStateFolder() {
    stateDir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(stateDir_->isValid());
    qputenv("XDG_STATE_HOME", QFile::encodeName(stateDir_->path()));
}

void EditorFixture::makeWindows() {
    recordWriter_ = nullptr;
    windows_ = std::make_unique<ui::WindowSet>(dialogs_, [this](auto write) {
        auto writer = recovery::makeLatestWriter(std::move(write));
        recordWriter_ = writer.get();
        return writer;
    });
}

void EditorFixture::waitUntilRecorded() const {
    if (recordWriter_) recordWriter_->waitUntilIdle();
}

void EditorFixture::startEditor(Sheet sheet) {
    application();
    windows_.reset();
    useOwnStateFolder();
    if (previousDir_.isEmpty()) previousDir_ = QDir::currentPath();
    workDir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(workDir_->isValid());
    if (sheet == Sheet::Good) writeSheet(path("all.bmp"));
    if (sheet == Sheet::Invalid) writeFile("all.bmp", "this is not a bitmap\n");
    ASSERT_TRUE(QDir::setCurrent(workDir_->path()));
    errors_.clear();
    makeWindows();
    MainForm->show();
}

void EditorFixture::startEditorOn(const QString& level, const std::function<void()>& prepare) {
    application();
    windows_.reset();
    useOwnStateFolder();
    if (previousDir_.isEmpty()) previousDir_ = QDir::currentPath();
    workDir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(workDir_->isValid());
    writeSheet(path("all.bmp"));
    if (prepare) prepare();
    ASSERT_TRUE(QDir(workDir_->path()).mkpath("elsewhere"));
    ASSERT_TRUE(QDir::setCurrent(path("elsewhere")));
    errors_.clear();
    const QString opened = app::enterFolderOf(level);
    makeWindows();
    windows_->open(opened);
    MainForm->show();
}

void EditorFixture::TearDown() {
    windows_.reset();
    QDir::setCurrent(previousDir_);
    workDir_.reset();
    stateDir_.reset();
}

void EditorFixture::writeFile(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray EditorFixture::readFile(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {
void send(QWidget* w, QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held, int x, int y,
          Qt::KeyboardModifiers m) {
    const QPointF local(x, y);
    QMouseEvent event(type, local, w->mapToGlobal(local), b, held, m);
    QSpontaneKeyEvent::setSpontaneous(&event);
    // Delivered as the window system delivers it (sendEvent would mark it as the program's own),
    // so that Qt also gives the focus by the control's focus policy.
    QApplication::instance()->notify(w, &event);
}
} // namespace

void EditorFixture::press(QWidget* w, Qt::MouseButton b, int x, int y, Qt::KeyboardModifiers m) {
    send(w, QEvent::MouseButtonPress, b, b, x, y, m);
}

void EditorFixture::move(QWidget* w, int x, int y, Qt::MouseButtons held) {
    send(w, QEvent::MouseMove, Qt::NoButton, held, x, y, {});
}

void EditorFixture::release(QWidget* w, Qt::MouseButton b, int x, int y) {
    send(w, QEvent::MouseButtonRelease, b, Qt::NoButton, x, y, {});
}

void EditorFixture::clickButton(QToolButton* button, Qt::KeyboardModifiers m) {
    QTest::mouseClick(button, Qt::LeftButton, m);
}

QStringList EditorFixture::listed() {
    QStringList names;
    for (int i = 0; i < ViewForm->LBox->count(); ++i)
        names << ViewForm->LBox->item(i)->text();
    return names;
}

void EditorFixture::select(const QString& name) {
    const auto items = ViewForm->LBox->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    ViewForm->LBox->scrollToItem(items.first());
    const QRect box = ViewForm->LBox->visualItemRect(items.first());
    QTest::mouseClick(ViewForm->LBox->viewport(), Qt::LeftButton, {}, box.center());
}

QImage EditorFixture::expectedRaster(const qorv::LevelGrid& grid) {
    QImage image = qorv::makeRaster();
    const QImage sheet = syntheticSheet();
    for (int y = 0; y < qorv::GridHeight; ++y)
        for (int x = 0; x < qorv::GridWidth; ++x) {
            const int t = grid.at(x, y);
            for (int py = 0; py < 10; ++py)
                for (int px = 0; px < 10; ++px)
                    image.setPixel(x * 10 + px, y * 10 + py,
                                   sheet.pixel((t % 16) * 10 + px, (t / 16) * 10 + py));
        }
    return image;
}

::testing::AssertionResult sameImage(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "size " << actual.width() << "x" << actual.height() << ", expected "
               << expected.width() << "x" << expected.height();
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return ::testing::AssertionFailure()
                       << "first difference at pixel (" << x << ", " << y << "): " << std::hex
                       << actual.pixel(x, y) << " instead of " << expected.pixel(x, y);
    return ::testing::AssertionSuccess();
}

qorv::LevelGrid newLevel() {
    qorv::LevelGrid grid;
    qorv::ClearFull(grid);
    return grid;
}

qorv::LevelGrid patternedLevel(int seed) {
    qorv::LevelGrid grid;
    for (int x = 0; x < qorv::GridWidth; ++x)
        for (int y = 0; y < qorv::GridHeight; ++y)
            grid.at(x, y) = static_cast<qorv::TileIndex>((x * 7 + y * 3 + seed) % 112);
    return grid;
}

} // namespace testing_ui

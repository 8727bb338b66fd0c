#pragma once
// The editor's four windows, created for real in a scratch working directory that holds a
// synthetic tile sheet. They receive fake dialogs: answers set in advance, boxes recorded.

#include "FakeDialogs.h"

#include "core/LevelGrid.h"
#include "platform/Platform.h"
#include "render/Raster.h"
#include "ui/MainUnit.h"
#include "ui/PanelStatusBar.h"
#include "ui/RasterImage.h"
#include "ui/Startup.h"
#include "ui/Tools.h"
#include "ui/view.h"
#include "ui/view1form.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace testing_ui {

// One QApplication for the whole test program.
QApplication& application();

// A 160 x 160 sheet in which every pixel has its own colour: red = x, green = y.
QImage syntheticSheet();

// Writes the synthetic sheet as a 24-bit BMP.
void writeSheet(const QString& path);

class EditorFixture : public ::testing::Test {
  protected:
    enum class Sheet { Good, Missing, Invalid };

    void SetUp() override { startEditor(Sheet::Good); }
    void TearDown() override;

    // Replaces the running editor by a fresh one in a fresh working directory.
    void startEditor(Sheet sheet);
    // As the command line "qorvedit LEVEL" starts it: from the empty folder "elsewhere"
    // of a fresh working directory that holds the tile sheet, on `level`, a name relative
    // to that folder; `prepare` writes files into the working directory first.
    void startEditorOn(const QString& level, const std::function<void()>& prepare = {});
    ui::WindowSet& windows() { return *windows_; }
    // Ends the editor as closing its main window does: the windows go.
    void endEditor() { windows_.reset(); }

    QString path(const QString& name) const { return workDir_->filePath(name); }
    // The recovery folder of this test's editors (below its own XDG_STATE_HOME).
    QString recoveryFolder() const { return stateDir_->filePath("qorvedit"); }
    // Waits until the editor's recovery writer has written every record handed to it.
    void waitUntilRecorded() const;
    void writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& name) const;

    // Real mouse events on a control, at its pixel (x, y).
    static void press(QWidget* w, Qt::MouseButton b, int x, int y, Qt::KeyboardModifiers m = {});
    static void move(QWidget* w, int x, int y, Qt::MouseButtons held = Qt::NoButton);
    static void release(QWidget* w, Qt::MouseButton b, int x, int y);
    static void click(QWidget* w, Qt::MouseButton b, int x, int y) {
        press(w, b, x, y);
        release(w, b, x, y);
    }
    static void clickButton(QToolButton* button, Qt::KeyboardModifiers m = {});

    // The raster as it must look: every cell of `grid` drawn from the synthetic sheet.
    static QImage expectedRaster(const qorv::LevelGrid& grid);
    static QImage raster() { return MainForm->Image->picture(); }
    static QString panel(int i) { return ToolsForm->StatusBar1->panelText(i); }

    // The level browser, opened by Control-click on Open, its list, and a click on a name.
    static void openBrowser() {
        clickButton(ToolsForm->ToolButton2, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ViewForm));
    }
    static QStringList listed();
    static void select(const QString& name);

    FakeDialogs dialogs_;
    QStringList& errors_ = dialogs_.errors;

  private:
    void makeWindows();
    std::unique_ptr<ui::WindowSet> windows_;
    recovery::RecordWriter* recordWriter_ = nullptr; // the running editor's, kept at hand
    void useOwnStateFolder();

    std::unique_ptr<QTemporaryDir> workDir_;
    std::unique_ptr<QTemporaryDir> stateDir_;
    QString previousDir_;
};

// Equal sizes and pixels; otherwise says where they first differ.
::testing::AssertionResult sameImage(const QImage& actual, const QImage& expected);

// A level with every cell set from a small formula, different from a new level.
qorv::LevelGrid patternedLevel(int seed);

// Border of tile 1, interior of tile 0.
qorv::LevelGrid newLevel();

} // namespace testing_ui

// The editor's windows under load: start-up, a brush stroke's and a cell cursor's screen
// update and the level preview, each beside a baseline measured in the same run (offscreen
// platform).

#include "BenchApplication.h"
#include "core/Brush.h"
#include "core/ConflictedLevel.h"
#include "levelio/LevelFile.h"
#include "platform/Dialogs.h"
#include "render/Raster.h"
#include "ui/MainUnit.h"
#include "ui/RasterImage.h"
#include "ui/Startup.h"
#include "ui/Tools.h"
#include "ui/view1form.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using bench::application;

// The real dialogs; no benchmark opens one.
platform::QtDialogs dialogs;

// Runs the editor in the bundled examples folder, where its tile sheet lies.
struct InExamples {
    InExamples() : previous(QDir::currentPath()) { QDir::setCurrent(QORV_EXAMPLES_DIR); }
    ~InExamples() { QDir::setCurrent(previous); }
    QString previous;
};

void BM_StartUp(benchmark::State& state) {
    application();
    InExamples here;
    for (auto _ : state) {
        ui::WindowSet windows{dialogs};
        MainForm->show();
        if (!QTest::qWaitForWindowExposed(MainForm)) state.SkipWithError("not exposed");
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMicrosecond);

// The floor: a bare window of the raster's size showing a QImage.
class BareWindow : public QWidget {
  public:
    BareWindow() : image(qorv::makeRaster()) { setFixedSize(image.size()); }
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, image); }
    QImage image;
};

void BM_BareWindow(benchmark::State& state) {
    application();
    for (auto _ : state) {
        BareWindow window;
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) state.SkipWithError("not exposed");
    }
}
BENCHMARK(BM_BareWindow)->Unit(benchmark::kMicrosecond);

// The editor's windows, shown in the examples folder, for as long as a benchmark runs.
struct ShownEditor {
    explicit ShownEditor(benchmark::State& state) {
        MainForm->show();
        if (!QTest::qWaitForWindowExposed(MainForm)) state.SkipWithError("not exposed");
    }
    QApplication& app = application(); // first: the windows need it
    InExamples here;
    ui::WindowSet windows{dialogs};
};

void sendMove(QWidget* target, int x, int y) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), target->mapToGlobal(QPointF(x, y)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

// A brush stroke of `size` through the real window: every move stamps and the screen shows
// the stamp's box before the next move.
void brushMoves(benchmark::State& state, int size) {
    MainForm->BrushSize = size;
    MainForm->FormMouseDown(0, 320, 220);
    int step = 0;
    for (auto _ : state) {
        sendMove(MainForm->Image, 200 + (step++ % 24) * 10, 220);
        QApplication::processEvents();
    }
    MainForm->ImageMouseUp(0, 0, 0);
}

void BM_BrushMove25(benchmark::State& state) {
    ShownEditor editor(state);
    brushMoves(state, 25);
}
BENCHMARK(BM_BrushMove25)->Unit(benchmark::kMicrosecond);

// With Arg(1) a screen reader listens: every accessibility event is delivered, and its
// object's name read, as AT-SPI's bridge does.
struct Listening {
    explicit Listening(bool on) : on(on) {
        if (!on) return;
        QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            if (QAccessibleInterface* face = event->accessibleInterface())
                benchmark::DoNotOptimize(face->text(QAccessible::Name));
        });
        QAccessible::setActive(true);
    }
    ~Listening() {
        if (!on) return;
        QAccessible::setActive(false);
        QAccessible::installUpdateHandler(nullptr);
    }
    bool on;
};

// The baseline of a cursor move: a brush stroke of size 1, whose every move repaints one
// cell and sets the status text.
void BM_BrushMove1(benchmark::State& state) {
    ShownEditor editor(state);
    const Listening listening(state.range(0) != 0);
    brushMoves(state, 1);
}
BENCHMARK(BM_BrushMove1)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void sendKey(QWidget* target, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// The cell cursor moved by the arrow keys, right and left in turn: the two cells' frames
// repainted, the status text and, with a listener, the focus event of the new cell.
void BM_CursorMove(benchmark::State& state) {
    ShownEditor editor(state);
    const Listening listening(state.range(0) != 0);
    QApplication::setActiveWindow(MainForm); // the key events go where focus events follow
    MainForm->Image->setFocus();
    if (!MainForm->Image->hasFocus()) state.SkipWithError("the raster has no focus");
    int step = 0;
    for (auto _ : state) {
        sendKey(MainForm->Image, step++ % 2 ? Qt::Key_Left : Qt::Key_Right);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_CursorMove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Whole strokes of size 25, a press and its release: the release completes a change of the
// level, which the editor records for recovery after a crash.
void BM_BrushStroke25(benchmark::State& state) {
    ShownEditor editor(state);
    MainForm->BrushSize = 25;
    int step = 0;
    for (auto _ : state) {
        const int x = 200 + (step++ % 24) * 10;
        MainForm->FormMouseDown(0, x, 220);
        MainForm->ImageMouseUp(0, x, 220);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_BrushStroke25)->Unit(benchmark::kMicrosecond);

// The whole raster repainted through the same widget.
void BM_FullRepaint(benchmark::State& state) {
    ShownEditor editor(state);
    for (auto _ : state) {
        MainForm->drawall();
        MainForm->Image->update();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

// A level opened as Open opens it, its raster shown: BM_OpenConflictedLevel / BM_OpenLevel,
// the same level with a conflict in every fourth cell, its markers around every row, at
// most 1.5.
class OpenedLevels {
  public:
    OpenedLevels() {
        qorv::LevelGrid level;
        qorv::loadQRE(QORV_EXAMPLES_DIR "/rooms.qre", level);
        std::vector<qorv::CellConflict> conflicts;
        for (int y = 0; y < qorv::GridHeight; ++y)
            for (int x = y % 4; x < qorv::GridWidth; x += 4)
                conflicts.push_back(
                    {x, y, 0, level.at(x, y), qorv::TileIndex(level.at(x, y) == 2 ? 3 : 2)});
        qorv::saveQRE(path("plain.qre").toStdString(), level);
        QFile file(path("conflicted.qre"));
        const std::string text =
            std::get<std::string>(qorv::formatConflictedLevel(level, conflicts));
        if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) < 0)
            std::abort();
    }
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

  private:
    QTemporaryDir dir_;
};

void openRepeatedly(benchmark::State& state, const char* name) {
    ShownEditor editor(state);
    static const OpenedLevels levels;
    const QString path = levels.path(name);
    for (auto _ : state) {
        ToolsForm->openLevel(path);
        QApplication::processEvents();
    }
}

void BM_OpenLevel(benchmark::State& state) {
    openRepeatedly(state, "plain.qre");
}
BENCHMARK(BM_OpenLevel)->Unit(benchmark::kMicrosecond);

void BM_OpenConflictedLevel(benchmark::State& state) {
    openRepeatedly(state, "conflicted.qre");
}
BENCHMARK(BM_OpenConflictedLevel)->Unit(benchmark::kMicrosecond);

// Drawing a previewed level into the preview's picture, as a selection in the browser does.
void BM_PreviewDraw(benchmark::State& state) {
    application();
    InExamples here;
    ui::WindowSet windows{dialogs};
    MainForm->loadQRE(QStringLiteral("rooms.qre"), MainForm->PreviewMap);
    for (auto _ : state) {
        qorv::drawAllCells(MainForm->PreviewMap, MainForm->TileSheet, View1->Image->picture());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PreviewDraw)->Unit(benchmark::kMicrosecond);

} // namespace

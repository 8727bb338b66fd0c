// The status bar as the user sees it: Qt's own labels in the tools window's font, wide
// enough that every text the editor writes there is drawn whole.

#include "EditorFixture.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>

using namespace testing_ui;

namespace {

// The first and last pixel columns in which two pictures of the same size differ.
struct Ink {
    int first = -1;
    int last = -1;
    int width() const { return first < 0 ? 0 : last - first + 1; }
};

Ink inkBetween(const QImage& with, const QImage& without) {
    Ink ink;
    for (int x = 0; x < with.width(); ++x)
        for (int y = 0; y < with.height(); ++y)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                if (ink.first < 0) ink.first = x;
                ink.last = x;
                break;
            }
    return ink;
}

// What a panel shows of its text: its contents drawn on screen, against the same empty.
Ink drawnInk(QLabel* panel) {
    const QRect box = panel->contentsRect();
    const QString text = panel->text();
    const QImage with = panel->grab(box).toImage();
    panel->setText(QString());
    const QImage without = panel->grab(box).toImage();
    panel->setText(text);
    return inkBetween(with, without);
}

// The whole text, drawn in the same font with room to spare.
Ink wholeInk(const QFont& font, const QString& text) {
    QImage without(400, 40, QImage::Format_RGB32);
    without.fill(Qt::white);
    QImage with = without;
    QPainter painter(&with);
    painter.setFont(font);
    painter.drawText(QRect(10, 0, 380, 40), Qt::AlignVCenter | Qt::AlignLeft, text);
    painter.end();
    return inkBetween(with, without);
}

// Those of `texts` that are widest in `font`.
QStringList widest(const QFont& font, const QStringList& texts) {
    const QFontMetrics metrics(font);
    int most = 0;
    for (const QString& text : texts)
        most = std::max(most, metrics.horizontalAdvance(text));
    QStringList found;
    for (const QString& text : texts)
        if (metrics.horizontalAdvance(text) == most) found.append(text);
    return found;
}

// A pixel of the raster that lies in cell c, also for cells left of or above it.
int pixelIn(int cell) {
    return cell * 10 + (cell < 0 ? -5 : 5);
}

} // namespace

class StatusBarTest : public EditorFixture {
  protected:
    static QLabel* statusPanel(int i) { return ToolsForm->StatusBar1->panel(i); }

    void expectDrawnWhole(int i, const QString& text) {
        QLabel* label = statusPanel(i);
        ASSERT_EQ(label->text(), text);
        const Ink drawn = drawnInk(label);
        const Ink whole = wholeInk(label->font(), text);
        EXPECT_EQ(drawn.width(), whole.width()) << text.toStdString() << " cut off";
        EXPECT_LT(drawn.last, label->contentsRect().width() - label->indent())
            << text.toStdString() << " reaches into the panel's right indent";
    }
};

TEST_F(StatusBarTest, ToolsWindowUsesTheLayoutsFontAt8PointsOrAnInstalledFallback) {
    const QFont font = ToolsForm->StatusBar1->panel(0)->font();
    EXPECT_EQ(font.families().value(0).toStdString(), "MS Sans Serif");
    EXPECT_EQ(font.pointSize(), 8);
    const QString used = QFontInfo(font).family();
    EXPECT_TRUE(font.families().contains(used)) << used.toStdString() << " is no family asked for";
    EXPECT_TRUE(QFontDatabase::families().contains(used)) << used.toStdString();
}

TEST_F(StatusBarTest, PanelZeroIs50PixelsAndTheLastReachesTheWindowsRightEdge) {
    EXPECT_EQ(statusPanel(0)->width(), 50);
    const QRect last(statusPanel(1)->mapTo(ToolsForm, QPoint(0, 0)), statusPanel(1)->size());
    EXPECT_EQ(last.right(), ToolsForm->width() - 1);
    EXPECT_GT(last.left(), statusPanel(0)->mapTo(ToolsForm, QPoint(49, 0)).x());
}

// Cells a drag can reach with the main window at (160, 0): the examples, and on screens of
// 1024 x 768 and 1920 x 1080 those whose texts are widest in the panel's font.
TEST_F(StatusBarTest, EveryCursorTextADragCanReachIsDrawnWhole) {
    auto text = [](QPoint cell) { return QStringLiteral("%1 : %2").arg(cell.x()).arg(cell.y()); };
    QList<QPoint> cells{{-16, -5}, {-15, 44}, {79, 49}};
    for (const QPoint lastCell : {QPoint(86, 76), QPoint(175, 105)}) {
        QList<QPoint> reachable;
        QStringList texts;
        for (int x = -16; x <= lastCell.x(); ++x)
            for (int y = -5; y <= lastCell.y(); ++y) {
                reachable.append({x, y});
                texts.append(text({x, y}));
            }
        for (const QString& wide : widest(statusPanel(0)->font(), texts).mid(0, 10))
            cells.append(reachable.at(texts.indexOf(wide)));
    }
    for (const QPoint& cell : cells) {
        press(MainForm->Image, Qt::LeftButton, 320, 220);
        move(MainForm->Image, pixelIn(cell.x()), pixelIn(cell.y()), Qt::LeftButton);
        release(MainForm->Image, Qt::LeftButton, pixelIn(cell.x()), pixelIn(cell.y()));
        expectDrawnWhole(0, text(cell));
    }
    QCoreApplication::processEvents(); // the bar's layout
    EXPECT_GT(statusPanel(1)->x(), statusPanel(0)->geometry().right()) << "panels overlap";
    const QRect last(statusPanel(1)->mapTo(ToolsForm, QPoint(0, 0)), statusPanel(1)->size());
    EXPECT_EQ(last.right(), ToolsForm->width() - 1) << "the last panel still reaches the edge";
}

TEST_F(StatusBarTest, EverySelectionSizeIsDrawnWhole) {
    QStringList sizes;
    for (int w = 0; w <= 64; ++w)
        for (int h = 0; h <= 45; ++h)
            sizes.append(QStringLiteral("(%1 x %2)").arg(w).arg(h));
    for (const QString& size : QStringList{"(10 x 10)", "(53 x 37)", "(64 x 45)"} +
                                   widest(statusPanel(1)->font(), sizes).mid(0, 10)) {
        ToolsForm->StatusBar1->setPanelText(1, size);
        expectDrawnWhole(1, size);
    }
}

// A larger font (one that still fits the bar) makes the panels taller: a panel kept at its
// old height would cut the line of text off.
TEST_F(StatusBarTest, PanelsGrowWithTheFont) {
    QFont larger = ToolsForm->StatusBar1->font();
    larger.setPointSize(9);
    ToolsForm->StatusBar1->setFont(larger);
    QCoreApplication::processEvents(); // the bar's layout
    for (int i = 0; i < PanelStatusBar::PanelCount; ++i) {
        QLabel* label = statusPanel(i);
        EXPECT_GE(label->contentsRect().height(), QFontMetrics(larger).height()) << i;
        EXPECT_GE(label->y(), 0) << i;
        EXPECT_LE(label->geometry().bottom(), ToolsForm->StatusBar1->height() - 1) << i;
    }
}

#pragma once
// The tools window's status bar: Qt's own status bar with two text panels, plain labels
// that accessibility tools read like any other text. Panel 0 shows the cell under the
// pointer in 50 pixels, more only where a text would not fit; panel 1, the size of the
// selection, takes the rest of the width up to the window's right edge, as a native
// status bar's last panel does.

#include <QStatusBar>

#include <array>

class QLabel;

class PanelStatusBar : public QStatusBar {
    Q_OBJECT
  public:
    static constexpr int PanelCount = 2;
    static constexpr int FirstPanelWidth = 50;

    explicit PanelStatusBar(QWidget* parent = nullptr);

    QLabel* panel(int index) const { return panels_.at(index); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void fixHeights();
    static void widenToFit(QLabel* panel);
    std::array<QLabel*, PanelCount> panels_{};
};

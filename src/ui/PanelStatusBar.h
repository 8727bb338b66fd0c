#pragma once
// A status bar of fixed-width text panels: panel 0 shows the cell under the pointer,
// panel 1 the size of the selection.

#include <QStringList>
#include <QWidget>

class PanelStatusBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int PanelCount = 2;
    static constexpr int PanelWidth = 50;

    explicit PanelStatusBar(QWidget* parent = nullptr);

    QString panelText(int panel) const { return texts_.value(panel); }
    void setPanelText(int panel, const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect panelRect(int panel) const;
    QStringList texts_;
};

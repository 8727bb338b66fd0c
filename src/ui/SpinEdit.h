#pragma once
// The brush-size field. Unlike QSpinBox it does not hold typed text to its range while
// the user types: "30" reports 3 and then 30. Only leaving the field for another control
// brings the text into range, and the spin buttons step within it. Every step is one:
// Page Up, Page Down and the step modifier (Control) do not step by ten here.

#include <QAbstractSpinBox>

class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    // Read by accessibility tools, as for Qt's own spin boxes.
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY changed USER true)
    Q_PROPERTY(int minimum READ minimum CONSTANT)
    Q_PROPERTY(int maximum READ maximum CONSTANT)
  public:
    explicit SpinEdit(QWidget* parent = nullptr);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // The text read as a whole number, or the minimum when it is not one.
    int value() const;
    void setValue(int value);

    void stepBy(int steps) override;

  signals:
    // Every change of the text, keystroke by keystroke.
    void changed();

  protected:
    QValidator::State validate(QString& input, int& pos) const override;
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void announceValue();
    int steppedValue(int steps) const;
    Qt::KeyboardModifiers withoutTenfoldStep(Qt::KeyboardModifiers modifiers) const;

    int minimum_ = 1;
    int maximum_ = 25;
};

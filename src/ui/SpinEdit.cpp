#include "ui/SpinEdit.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QLineEdit>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setValue(minimum_);
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::changed);
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::announceValue);
}

void SpinEdit::announceValue() {
    // A screen reader says the new size, keystroke by keystroke, as the field shows it.
    QAccessibleValueChangeEvent event(this, value());
    QAccessible::updateAccessibility(&event);
}

int SpinEdit::value() const {
    bool ok = false;
    const int number = text().trimmed().toInt(&ok);
    return ok ? number : minimum_;
}

void SpinEdit::setValue(int value) {
    lineEdit()->setText(QString::number(value));
}

int SpinEdit::steppedValue(int steps) const {
    // A typed value outside the range steps into it: 30 goes to 25 either way.
    const long long stepped = static_cast<long long>(value()) + steps;
    return static_cast<int>(std::clamp<long long>(stepped, minimum_, maximum_));
}

void SpinEdit::stepBy(int steps) {
    setValue(steppedValue(steps));
}

QValidator::State SpinEdit::validate(QString&, int&) const {
    return QValidator::Acceptable; // any text may be typed; value() interprets it
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (steppedValue(1) != value()) enabled |= StepUpEnabled;
    if (steppedValue(-1) != value()) enabled |= StepDownEnabled;
    return enabled;
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
    // Switching to another window keeps the typed size; only moving to another control
    // of this window counts as leaving the field.
    const bool leftTheField =
        event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
    if (leftTheField) {
        const int current = value();
        const int clamped = std::clamp(current, minimum_, maximum_);
        if (clamped != current) setValue(clamped);
    }
    QAbstractSpinBox::focusOutEvent(event);
}

Qt::KeyboardModifiers SpinEdit::withoutTenfoldStep(Qt::KeyboardModifiers modifiers) const {
    // The style names the modifier that makes Qt's spin boxes step by ten (Control).
    const auto tenfold =
        Qt::KeyboardModifier(style()->styleHint(QStyle::SH_SpinBox_StepModifier, nullptr, this));
    return modifiers & ~tenfold;
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    if (key == Qt::Key_PageUp) key = Qt::Key_Up;
    if (key == Qt::Key_PageDown) key = Qt::Key_Down;
    if (key != Qt::Key_Up && key != Qt::Key_Down) {
        QAbstractSpinBox::keyPressEvent(event);
        return;
    }
    QKeyEvent oneStep(event->type(), key, withoutTenfoldStep(event->modifiers()), event->text(),
                      event->isAutoRepeat(), ushort(event->count()));
    QAbstractSpinBox::keyPressEvent(&oneStep);
    event->setAccepted(oneStep.isAccepted());
}

void SpinEdit::wheelEvent(QWheelEvent* event) {
    QWheelEvent oneStep(event->position(), event->globalPosition(), event->pixelDelta(),
                        event->angleDelta(), event->buttons(),
                        withoutTenfoldStep(event->modifiers()), event->phase(), event->inverted(),
                        event->source(), event->pointingDevice());
    QAbstractSpinBox::wheelEvent(&oneStep);
    event->setAccepted(oneStep.isAccepted());
}

#include "ui/SpinEdit.h"

#include <QFocusEvent>
#include <QLineEdit>

#include <algorithm>

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setValue(minimum_);
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::changed);
}

int SpinEdit::value() const {
    bool ok = false;
    const int number = text().trimmed().toInt(&ok);
    return ok ? number : minimum_;
}

void SpinEdit::setValue(int value) {
    lineEdit()->setText(QString::number(value));
}

void SpinEdit::stepBy(int steps) {
    const long long stepped =
        static_cast<long long>(std::clamp(value(), minimum_, maximum_)) + steps;
    setValue(static_cast<int>(std::clamp<long long>(stepped, minimum_, maximum_)));
}

QValidator::State SpinEdit::validate(QString&, int&) const {
    return QValidator::Acceptable; // any text may be typed; value() interprets it
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
    const int current = value();
    StepEnabled enabled = StepNone;
    if (current < maximum_) enabled |= StepUpEnabled;
    if (current > minimum_) enabled |= StepDownEnabled;
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
        if (clamped != current || text() != QString::number(current)) setValue(clamped);
    }
    QAbstractSpinBox::focusOutEvent(event);
}

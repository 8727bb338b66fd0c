#include "ui/AccessibleRoles.h"

#include "ui/AccessibleLevel.h"
#include "ui/MainUnit.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QButtonGroup>

namespace ui {

namespace {

// One choice of an exclusive group: read as a radio button, pressed like the button.
class ExclusiveChoice : public QAccessibleWidget {
  public:
    explicit ExclusiveChoice(QAbstractButton* button)
        : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

  private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

bool inExclusiveGroup(QObject* object) {
    const auto* button = qobject_cast<QAbstractButton*>(object);
    return button && button->group() && button->group()->exclusive();
}

// Asked for each class of an object from the most derived one up, before Qt's own factory.
QAccessibleInterface* editorRoles(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (className == QLatin1String("QWidget") && widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String("QFrame")) {
        const bool empty = widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty();
        return new QAccessibleWidget(widget,
                                     empty ? QAccessible::Separator : QAccessible::Grouping);
    }
    if (className == QLatin1String("RasterImage")) {
        // The main window's raster is the level, cell by cell; the others are pictures.
        if (qobject_cast<TMainForm*>(widget->window()) && object->objectName() == "Image")
            return makeLevelTable(widget);
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    }
    if (className == QLatin1String("QToolButton") && inExclusiveGroup(object))
        return new ExclusiveChoice(static_cast<QAbstractButton*>(object));
    return nullptr;
}

} // namespace

void installAccessibleRoles() {
    QAccessible::installFactory(editorRoles);
}

} // namespace ui

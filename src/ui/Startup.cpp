#include "ui/Startup.h"

#include "ui/AccessibleNames.h"
#include "ui/Handler.h"
#include "ui/MainUnit.h"
#include "ui/Shortcuts.h"
#include "ui/Tools.h"
#include "ui/view.h"
#include "ui/view1form.h"

namespace ui {

WindowSet::WindowSet() : main_(std::make_unique<TMainForm>()) {
    new TToolsForm(main_.get());
    new TViewForm(main_.get());
    new TView1(main_.get());
    shortcuts_ = addShortcuts(*main_, *ToolsForm);
    nameControls();
}

WindowSet::~WindowSet() = default;

void WindowSet::open(const QString& path) {
    runHandler([&] { ToolsForm->openLevel(path); });
}

} // namespace ui

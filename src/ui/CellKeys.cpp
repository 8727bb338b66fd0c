#include "ui/CellKeys.h"

namespace ui {

namespace {

using qorv::CursorStep;
using Kind = CellCommand::Kind;

std::optional<CursorStep> stepOf(int key, bool control) {
    switch (key) {
    case Qt::Key_Left:
        return control ? CursorStep::RunLeft : CursorStep::Left;
    case Qt::Key_Right:
        return control ? CursorStep::RunRight : CursorStep::Right;
    case Qt::Key_Up:
        return control ? CursorStep::RunUp : CursorStep::Up;
    case Qt::Key_Down:
        return control ? CursorStep::RunDown : CursorStep::Down;
    case Qt::Key_Home:
        return control ? CursorStep::GridStart : CursorStep::RowStart;
    case Qt::Key_End:
        return control ? CursorStep::GridEnd : CursorStep::RowEnd;
    case Qt::Key_PageUp:
        return control ? std::nullopt : std::optional(CursorStep::PageUp);
    case Qt::Key_PageDown:
        return control ? std::nullopt : std::optional(CursorStep::PageDown);
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<CellCommand> cellCommandOf(int key, Qt::KeyboardModifiers modifiers) {
    // The keypad's keys count as the others; Alt and Meta keys belong to the desktop.
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (held & (Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
    const bool shift = held & Qt::ShiftModifier;
    const bool control = held & Qt::ControlModifier;
    if (const auto step = stepOf(key, control)) return CellCommand{Kind::Move, *step, shift};
    if (control) return std::nullopt; // Control with any other key is a shortcut's
    switch (key) {
    case Qt::Key_Space:
        return CellCommand{Kind::Stamp, {}, false, shift};
    case Qt::Key_I:
        return CellCommand{Kind::Pick, {}, false, shift};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return CellCommand{Kind::PickTyped};
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return CellCommand{Kind::BrushSize, {}, false, false, 1};
    case Qt::Key_Minus:
        return CellCommand{Kind::BrushSize, {}, false, false, -1};
    case Qt::Key_Escape:
        return CellCommand{Kind::Drop};
    default:
        break;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9 && !shift)
        return CellCommand{Kind::Digit, {}, false, false, key - Qt::Key_0};
    return std::nullopt;
}

} // namespace ui

// TDBGrid: keys typed into the grid or its cell editor.

#include "framework/ui/grid/tdbgrid.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/grid/tdbgrid_parts.h"
#include "framework/ui/guard.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <optional>

namespace {

// Keys that change the editor's text without typing a character.
bool ModifiesText(const QKeyEvent& event)
{
    return event.key() == Qt::Key_Delete || event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut)
           || event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo)
           || event.matches(QKeySequence::DeleteEndOfWord) || event.matches(QKeySequence::DeleteStartOfWord)
           || event.matches(QKeySequence::DeleteEndOfLine) || event.matches(QKeySequence::DeleteCompleteLine);
}

}  // namespace

// ---- keys

void TDBGrid::keyPressEvent(QKeyEvent* event)
{
    bool handled = true;
    Guard::Run([&] { handled = HandleKey(event->key(), event->modifiers(), event->text(), false); });
    event->setAccepted(handled);
}

void TDBGrid::inputMethodEvent(QInputMethodEvent* event)
{
    // Characters composed by the input method (accents typed with dead keys) are typed
    // characters like any other.
    const QString text = event->commitString();
    Guard::Run([&] {
        for (const QChar ch : text) {
            if (ch.isPrint()) TypeCharacter(ch, editorShown_, true);
        }
    });
    event->accept();
}

void TDBGrid::keyboardSearch(const QString&)
{
    // Typing edits the cell; it never searches the rows.
}

bool TDBGrid::event(QEvent* event)
{
    // With the Tabs option, Tab and Shift+Tab move between cells instead of leaving the grid.
    if (event->type() == QEvent::KeyPress && (options_ & dgTabs)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QTableView::event(event);
}

bool TDBGrid::HandleKey(int originalKey, Qt::KeyboardModifiers modifiers, const QString& text, bool fromEditor)
{
    int key = originalKey == Qt::Key_Backtab ? int(Qt::Key_Tab) : originalKey;
    if (originalKey == Qt::Key_Backtab) modifiers |= Qt::ShiftModifier;
    if (OnKeyDown) {
        OnKeyDown(*this, key, modifiers);
        if (key == 0) return true;
    }
    if (const std::optional<bool> moved = MoveKey(key, modifiers, fromEditor)) return *moved;
    if (const std::optional<bool> done = CommandKey(key, modifiers)) return *done;
    // A typed character (the handler did not turn the key into another one).
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    if (key == originalKey && !ctrl && !alt && !text.isEmpty()) {
        const QChar ch = text.at(0);
        if (ch.isPrint() || ch.unicode() == 8) return TypeCharacter(ch, fromEditor);
    }
    return false;
}

std::optional<bool> TDBGrid::MoveKey(int key, Qt::KeyboardModifiers modifiers, bool fromEditor)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    const int row = CurrentRow();
    switch (key) {
    case Qt::Key_Up: PriorRow(); return true;
    case Qt::Key_Down: NextRow(); return true;
    case Qt::Key_PageUp:
        if (row > 0) MoveToRow(row - VisibleRowCount());
        return true;
    case Qt::Key_PageDown:
        if (row >= 0) MoveToRow(row + VisibleRowCount());
        return true;
    case Qt::Key_Home:
        if (ctrl)
            MoveToRow(0);
        else if (fromEditor)
            return false;
        else
            MoveCol(FirstVisibleColumn());
        return true;
    case Qt::Key_End:
        if (ctrl) {
            if (const TClientDataSet* dataSet = DataSet()) MoveToRow(dataSet->ViewRowCount() - 1);
        } else if (fromEditor) {
            return false;
        } else {
            MoveCol(LastVisibleColumn());
        }
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (fromEditor) return false;
        if (const int target = NextVisibleColumn(selectedIndex_, key == Qt::Key_Left ? -1 : 1); target >= 0)
            MoveCol(target);
        return true;
    default: return std::nullopt;
    }
}

std::optional<bool> TDBGrid::CommandKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool alt = modifiers & Qt::AltModifier;
    switch (key) {
    case Qt::Key_Tab:
        if (!(options_ & dgTabs) || ctrl || alt) return false;
        NextCell(shift);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        QChar ch(u'\r');
        if (OnKeyPress) {
            OnKeyPress(*this, ch);
            if (ch.isNull()) return true;
        }
        if (ctrl)
            EditButtonClick();
        else
            NextCell(shift);
        return true;
    }
    case Qt::Key_Escape: {
        QChar ch(QChar(27));
        if (OnKeyPress) {
            OnKeyPress(*this, ch);
            if (ch.isNull()) return true;
        }
        CancelKey();
        return true;
    }
    case Qt::Key_Insert:
        if (modifiers != Qt::NoModifier) return false;
        InsertRow();
        return true;
    case Qt::Key_Delete:
        if (!ctrl) return false;
        DeleteRow();
        return true;
    case Qt::Key_F2: SetEditorMode(!EditorMode()); return true;
    default: return std::nullopt;
    }
}

bool TDBGrid::TypeCharacter(QChar ch, bool fromEditor, bool forward)
{
    QChar key = ch;
    if (OnKeyPress) {
        OnKeyPress(*this, key);
        if (key.isNull()) return true;
    }
    if (!CanEditModify()) return true;  // the cell cannot take it: the character goes nowhere
    if (!editorShown_) ShowEditor(true);
    if (!editor_ || !editorShown_) return true;
    if (fromEditor && key == ch && !forward) return false;  // the editor types it itself
    // Type the (possibly replaced) character into the editor as the operator would.
    const FlagScope forwarding(forwardingKey_);
    const bool backspace = key.unicode() == 8;
    QKeyEvent typed(QEvent::KeyPress, backspace ? int(Qt::Key_Backspace) : int(Qt::Key_unknown), Qt::NoModifier,
                    backspace ? QString() : QString(key));
    QCoreApplication::sendEvent(editor_, &typed);
    return true;
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != editor_ || forwardingKey_) return QTableView::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool handled = true;
        Guard::Run([&] {
            handled = HandleKey(key->key(), key->modifiers(), key->text(), true);
            if (!handled && ModifiesText(*key) && !CanEditModify()) handled = true;
        });
        return handled;
    }
    if (event->type() == QEvent::InputMethod) {
        auto* input = static_cast<QInputMethodEvent*>(event);
        if (input->commitString().isEmpty())
            return QTableView::eventFilter(watched, event);  // composing: the editor shows it
        inputMethodEvent(input);
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Keys the grid acts on while the editor is open are not window shortcuts.
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_F2: event->accept(); return true;
        default: break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

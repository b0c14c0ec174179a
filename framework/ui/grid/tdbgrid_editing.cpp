// TDBGrid: the cell editor, and writing its text to the field.

#include "framework/ui/grid/tdbgrid.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/data/dataset_model.h"
#include "framework/data/field.h"
#include "framework/ui/grid/tdbgrid_parts.h"
#include "framework/ui/guard.h"
#include "framework/ui/tmaskedit.h"

#include <QToolButton>

namespace {

// The cell editor: a masked edit living inside the grid. The grid checks and writes its
// text, so the edit's own exit checks do not apply.
class TInplaceEdit : public TMaskEdit {
public:
    explicit TInplaceEdit(QWidget* parent) : TMaskEdit(parent) {}

protected:
    void DoEnter() override {}
    void DoExit() override {}
};

}  // namespace

// ---- editing

bool TDBGrid::CanModifyRows() const
{
    const TClientDataSet* dataSet = DataSet();
    return dataSet && dataSet->Active() && (options_ & dgEditing) && !readOnly_;
}

bool TDBGrid::CanEditCell() const
{
    if (!CanModifyRows() || selectedIndex_ < 0 || selectedIndex_ >= columns_.Count()) return false;
    const TColumn& column = columns_[selectedIndex_];
    const TField* field = column.Field();
    return column.Visible() && !column.ReadOnly() && field && !field->ReadOnly();
}

bool TDBGrid::CanEditModify()
{
    if (!CanEditCell()) return false;
    TClientDataSet* dataSet = DataSet();
    if (!Editing(*dataSet)) dataSet->Edit();  // an empty list starts its first row
    return Editing(*dataSet) && CanEditCell();
}

bool TDBGrid::EditorMode() const { return editorShown_; }

void TDBGrid::SetEditorMode(bool on)
{
    if (on) {
        if (!editorShown_ && CanEditCell()) ShowEditor(false);
        return;
    }
    UpdateData();
    HideEditor();
}

void TDBGrid::ShowEditor(bool selectAll)
{
    TField* field = SelectedField();
    if (!field || CurrentRow() < 0) return;
    if (!editor_) {
        auto* editor = new TInplaceEdit(viewport());
        editor->setFrame(false);
        editor->setContextMenuPolicy(Qt::NoContextMenu);
        editor->setAcceptDrops(false);
        editor->installEventFilter(this);
        connect(editor, &QLineEdit::textEdited, this, [this] { editorModified_ = true; });
        editor_ = editor;
    }
    editor_->SetEditMask(field->EditMask());
    editor_->SetMaxLength(field->EditMask().isEmpty() && field->DataType() == TFieldType::String ? field->Size() : 0);
    editorShown_ = true;
    LoadEditorText();
    PlaceOverlays();
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        editor_->selectAll();
    else
        editor_->end(false);
    verticalHeader()->viewport()->update();
}

void TDBGrid::LoadEditorText()
{
    if (!editor_ || selectedIndex_ < 0) return;
    const TField* field = columns_[selectedIndex_].Field();
    editor_->SetText(field ? field->Text() : QString());
    editorModified_ = false;
}

void TDBGrid::HideEditor()
{
    if (!editorShown_) return;
    editorShown_ = false;
    editorModified_ = false;
    if (!editor_) return;
    // The grid takes the focus first: hiding a focused widget would pass it down the chain.
    if (editor_->hasFocus()) setFocus(Qt::OtherFocusReason);
    editor_->hide();
    verticalHeader()->viewport()->update();
}

void TDBGrid::UpdateData()
{
    if (!editorShown_ || !editorModified_ || !editor_ || selectedIndex_ < 0) return;
    TField* field = columns_[selectedIndex_].Field();
    TClientDataSet* dataSet = DataSet();
    if (!field || !dataSet) return;
    if (!Editing(*dataSet)) dataSet->Edit();
    editor_->ValidateEdit();
    field->SetText(editor_->Text());
    editorModified_ = false;
}

void TDBGrid::PlaceOverlays()
{
    if (!editButton_) return;
    const int row = CurrentRow();
    const bool onCell = row >= 0 && row < model_->rowCount() && selectedIndex_ >= 0
                        && selectedIndex_ < std::min(columns_.Count(), model_->columnCount())
                        && columns_[selectedIndex_].Visible();
    const QRect cell = onCell ? CellRect(row, selectedIndex_) : QRect();
    const bool button = onCell && columns_[selectedIndex_].ButtonStyle() == TColumnButtonStyle::Ellipsis;
    int buttonWidth = 0;
    if (button) {
        buttonWidth = std::min(cell.width(), std::max(16, cell.height()));
        editButton_->setGeometry(cell.right() - buttonWidth + 1, cell.top(), buttonWidth, cell.height());
        editButton_->show();
        editButton_->raise();
    } else {
        editButton_->hide();
    }
    if (editorShown_ && editor_) {
        if (!onCell) {
            HideEditor();
            return;
        }
        editor_->setGeometry(cell.adjusted(0, 0, -buttonWidth, 0));
    }
}

bool TDBGrid::GridFocused() const { return hasFocus() || (editor_ && editor_->hasFocus()); }

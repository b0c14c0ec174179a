#pragma once
// TDBGrid: the data-aware grid. It shows the rows of a data source's dataset, one column per
// TColumn, and keeps the dataset's cursor and the grid's current row the same row: a click or
// an arrow key moves the dataset (with its events), a move of the dataset moves the grid.
//
// Keys (with dgEditing, the grid not read-only and the cell's column and field writable):
//   a character     puts the dataset in edit and opens the cell editor (the field's edit
//                   mask and edit text) with that character typed; OnKeyPress runs first
//                   and may discard it (key set to 0)
//   Enter, Tab      write the editor into the field and go to the next cell; after the
//                   last column, the first column of the next row (Shift+Tab goes back)
//   Esc             closes the editor, dropping what was typed; with no editor open,
//                   cancels the row's edit or insert
//   Up, Down, PgUp, PgDn, Ctrl+Home, Ctrl+End   move the dataset; leaving a row posts it,
//                   and a refused post keeps the grid on the row with the typed values.
//                   Down on the last row appends a row; leaving an inserted row that was
//                   never changed drops it instead of posting it
//   Left, Right, Home, End   move between columns (inside the editor, between characters)
//   Insert          inserts a row before the current one
//   Ctrl+Delete     deletes the current row, after "Confirma exclusão?" with dgConfirmDelete
//   F2              opens or closes the editor
//   Ctrl+Enter      the edit button of an ellipsis column (OnEditButtonClick)
// Without dgTabs, Tab moves the focus out of the grid. OnKeyDown sees every key first and
// may swallow it by setting it to 0.
//
// Leaving a column (by key, click or SetSelectedIndex) first writes the editor into the
// field, then fires OnColExit; a handler that raises keeps the grid on the column.
//
// Drawing: with DefaultDrawing on, each data cell is first drawn with the field's display text
// (through its OnGetText and display format), the selection colours and, without a handler,
// the focus rectangle; then OnDrawColumnCell runs when bound, with Canvas() set up for the
// cell (brush and font colours already the selection ones for the selected cell) and the
// dataset's fields reading the row being drawn. A handler that paints the whole cell may turn
// DefaultDrawing off to spare the first pass. Only visible cells are drawn. While the
// dataset's controls are disabled the grid draws no rows; it is redrawn once when they are
// enabled again. A drawing handler that fails is reported once and then left out (the cells
// keep their default drawing) until the data next changes.
//
// Mouse: a click on a cell moves the dataset and the column (a refused move keeps both) and
// fires OnCellClick with the selected column on release; a double click also opens the
// editor; a click on a title fires OnTitleClick and moves nothing.
//
// Every handler runs through the event guard: a silent abort ends quietly, any other
// failure is shown once, and no exception reaches Qt.

#include "framework/ui/focus_events.h"
#include "framework/ui/grid/tcanvas.h"
#include "framework/ui/grid/tcolumn.h"
#include "framework/ui/grid/tdbgrid_types.h"
#include "framework/ui/tmaskedit.h"

#include <QChar>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QTableView>
#include <QToolButton>

#include <exception>
#include <functional>
#include <optional>
#include <vector>

class TClientDataSet;
class TDataSetModel;
class TDataSource;
class TField;

class TDBGrid : public QTableView, public TFocusEvents {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    // ---- binding
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TClientDataSet* DataSet() const;  // the data source's dataset, nullptr when none
    TDataSetModel& Model() const { return *model_; }

    // ---- columns and appearance
    TDBGridColumns& Columns() { return columns_; }
    const TDBGridColumns& Columns() const { return columns_; }

    TDBGridOptions Options() const { return options_; }
    void SetOptions(TDBGridOptions options);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    // With default drawing on, each cell is drawn by the grid before OnDrawColumnCell.
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool on);
    // Background of the data cells.
    QColor Color() const;
    void SetColor(const QColor& color);
    // Font of the titles of columns that have no title font of their own.
    QFont TitleFont() const { return titleFont_; }
    void SetTitleFont(const QFont& font);
    int RowHeight() const;

    // ---- current cell
    // The current column (index into Columns()), -1 when there is none.
    int SelectedIndex() const { return selectedIndex_; }
    // Moves to another column as the operator would: writes the editor, fires OnColExit
    // (which may refuse by raising: the exception propagates). An index out of range is
    // ignored.
    void SetSelectedIndex(int index);
    // The field of the current column (nullptr when none).
    TField* SelectedField() const;
    // Moves to the column showing the field; nothing happens when no column shows it.
    void SetSelectedField(TField* field);
    // The dataset row shown as current (0-based view row), -1 when none.
    int CurrentRow() const;

    // ---- the cell editor
    bool EditorMode() const;
    // Opens the editor on the current cell (when it can be edited) or closes it, dropping
    // what was typed.
    void SetEditorMode(bool on);
    // The editor widget while it exists, and the ellipsis button (tests drive them).
    TMaskEdit* InplaceEditor() const { return editor_; }
    QToolButton* EditButton() const { return editButton_; }
    // Writes the editor's text into the field when it was changed; raises when the field
    // refuses it (the editor stays open with the text).
    void UpdateData();

    // The rectangle handed to OnDrawColumnCell for a cell, in viewport coordinates.
    QRect CellRect(int viewRow, int column) const;

    // The canvas of the cell being drawn (no painter outside OnDrawColumnCell).
    TCanvas& Canvas() { return canvas_; }

    // Bumped whenever the fields the columns resolve to may have changed.
    quint64 BindingGeneration() const { return bindingGeneration_; }

    // ---- events
    std::function<void(TColumn& column)> OnCellClick;
    std::function<void(TColumn& column)> OnTitleClick;
    std::function<void(TDBGrid& sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
    std::function<void(TDBGrid& sender, QChar& key)> OnKeyPress;
    std::function<void(TDBGrid& sender)> OnColEnter;
    std::function<void(TDBGrid& sender)> OnColExit;
    std::function<void(TDBGrid& sender)> OnEditButtonClick;
    std::function<void(TDBGrid& sender, const QRect& rect, int dataCol, TColumn& column, TGridDrawState state)>
        OnDrawColumnCell;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void updateGeometries() override;
    void updateEditorGeometries() override;

private:
    friend class TColumn;
    friend class TColumnTitle;
    friend class TDBGridColumns;
    friend class TDBGridDelegate;
    friend class TDBGridTitles;
    friend class TDBGridIndicator;

    // Column list changes (from TColumn and TDBGridColumns).
    void ColumnsChanged();
    // `titleKept`: the column's caption and width were its own before and stay as they were.
    void ColumnFieldChanged(int index, bool titleKept = false);
    void ColumnLayoutChanged(int index);
    void TitlesChanged();

    // Binding and synchronisation with the dataset.
    void ConnectSource();
    void Rebind();
    void RefreshDefaultColumns();
    std::vector<QString> VisibleFieldNames() const;
    void ApplyColumnLayout();
    void SyncToDataSet();
    void SourceStateChanged();
    void SourceRowChanged(int viewRow, int fieldIndex);

    // Navigation, each raising when a handler or the dataset refuses.
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text, bool fromEditor);
    // The keys that move the cursor, and those that act on the row or the editor: whether
    // the key was taken, or nothing when it is none of theirs.
    std::optional<bool> MoveKey(int key, Qt::KeyboardModifiers modifiers, bool fromEditor);
    std::optional<bool> CommandKey(int key, Qt::KeyboardModifiers modifiers);
    bool TypeCharacter(QChar ch, bool fromEditor, bool forward = false);
    void MoveToRow(int viewRow);
    void NextRow();
    void PriorRow();
    void NextCell(bool backwards);
    bool MoveCol(int index);  // false when a handler kept the grid on its column
    bool FireColExit();       // false when the handler moved to another column itself
    void EnterCol(int index);
    void ClickCell(int viewRow, int column);
    void InsertRow();
    void DeleteRow();
    void CancelKey();
    void EditButtonClick();

    // Editing.
    bool CanModifyRows() const;
    bool CanEditCell() const;
    bool CanEditModify();
    void ShowEditor(bool selectAll);
    void HideEditor();
    void LoadEditorText();
    void PlaceOverlays();
    bool GridFocused() const;

    // Drawing (called by the delegate).
    void PaintCell(QPainter* painter, const QRect& sectionRect, int viewRow, int column);
    void ReportDrawFailure();

    int NextVisibleColumn(int from, int step) const;
    int FirstVisibleColumn() const;
    int LastVisibleColumn() const;
    int VisibleRowCount() const;
    int ColLineWidth() const { return (options_ & dgColLines) ? 1 : 0; }
    int RowLineWidth() const { return (options_ & dgRowLines) ? 1 : 0; }

    QPointer<TDataSource> source_;
    TDataSetModel* model_ = nullptr;
    std::vector<QMetaObject::Connection> sourceConnections_;
    TDBGridColumns columns_{*this};
    TDBGridOptions options_ = dgDefaultOptions;
    bool readOnly_ = false;
    bool defaultDrawing_ = true;
    QFont titleFont_;
    int selectedIndex_ = -1;
    quint64 bindingGeneration_ = 1;

    QPointer<TMaskEdit> editor_;
    bool editorShown_ = false;
    bool editorModified_ = false;
    bool forwardingKey_ = false;
    QPointer<QToolButton> editButton_;

    int syncing_ = 0;
    bool applyingLayout_ = false;
    bool inColExit_ = false;
    bool pressMoved_ = false;       // the last press landed on a data cell and moved there
    bool paintsSuspended_ = false;  // rows were skipped while controls were disabled

    TCanvas canvas_;
    QColor lineColor_;
    bool drawHandlerFailed_ = false;
    std::exception_ptr drawFailure_;
};

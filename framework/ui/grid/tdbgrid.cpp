#include "framework/ui/grid/tdbgrid.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/data/dataset_model.h"
#include "framework/data/datasource.h"
#include "framework/data/field.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/grid/tdbgrid_parts.h"
#include "framework/ui/grid/tdbgrid_scrollbar.h"
#include "framework/ui/guard.h"
#include "framework/ui/tmaskedit.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace {

const QString kConfirmDelete = QStringLiteral("Confirma exclusão?");

class CountScope {
public:
    explicit CountScope(int& count) : count_(count) { ++count_; }
    ~CountScope() { --count_; }
    CountScope(const CountScope&) = delete;
    CountScope& operator=(const CountScope&) = delete;

private:
    int& count_;
};

}  // namespace

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent), TFocusEvents(static_cast<QWidget&>(*this))
{
    model_ = new TDataSetModel(this);
    setHorizontalHeader(new TDBGridTitles(*this));
    setVerticalHeader(new TDBGridIndicator(*this));
    setModel(model_);
    setItemDelegate(new TDBGridDelegate(*this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setDragEnabled(false);
    setAcceptDrops(false);
    setAutoScroll(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBar(new TDBGridScrollBar(Qt::Horizontal, this));
    setVerticalScrollBar(new TDBGridScrollBar(Qt::Vertical, this));
    titleFont_ = font();

    QHeaderView* titles = horizontalHeader();
    titles->setMinimumSectionSize(0);
    titles->setStretchLastSection(false);
    titles->setSectionsMovable(false);
    disconnect(titles, &QHeaderView::sectionHandleDoubleClicked, this, &QTableView::resizeColumnToContents);
    connect(titles, &QHeaderView::sectionClicked, this, [this](int section) {
        if (section < 0 || section >= columns_.Count() || !OnTitleClick) return;
        Guard::Run([&] { OnTitleClick(columns_[section]); });
    });
    connect(titles, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        auto* bar = static_cast<TDBGridTitles*>(horizontalHeader());
        if (!applyingLayout_ && bar->Dragging() && section >= 0 && section < columns_.Count())
            columns_[section].width_ = std::max(0, size - ColLineWidth());
        PlaceOverlays();
    });

    QHeaderView* indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setMinimumSectionSize(1);
    connect(indicator, &QHeaderView::sectionPressed, this, [this](int row) {
        setFocus(Qt::MouseFocusReason);
        Guard::Run([&] { MoveToRow(row); });
    });

    // The view follows the dataset after every change of the model's rows.
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        ++bindingGeneration_;  // the dataset or its fields may be other ones now
        ApplyColumnLayout();
        SyncToDataSet();
    });
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TDBGrid::SyncToDataSet);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &TDBGrid::SyncToDataSet);
    connect(model_, &QAbstractItemModel::rowsMoved, this, &TDBGrid::SyncToDataSet);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &TDBGrid::SyncToDataSet);
    connect(model_, &QAbstractItemModel::columnsInserted, this, [this] { ApplyColumnLayout(); });

    editButton_ = new QToolButton(viewport());
    editButton_->setText(QStringLiteral("..."));
    editButton_->setFocusPolicy(Qt::NoFocus);
    editButton_->setAutoRaise(false);
    editButton_->hide();
    connect(editButton_, &QToolButton::clicked, this, [this] { Guard::Run([&] { EditButtonClick(); }); });

    SetOptions(options_);
}

TDBGrid::~TDBGrid()
{
    for (const auto& connection : sourceConnections_) disconnect(connection);
}

// ---- binding

TDataSource* TDBGrid::DataSource() const { return source_.data(); }

TClientDataSet* TDBGrid::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

void TDBGrid::SetDataSource(TDataSource* source)
{
    if (source == source_.data()) return;
    HideEditor();
    for (const auto& connection : sourceConnections_) disconnect(connection);
    sourceConnections_.clear();
    source_ = source;
    model_->SetDataSource(source);
    ConnectSource();
    Rebind();
}

void TDBGrid::ConnectSource()
{
    if (!source_) return;
    TDataSource* source = source_.data();
    // Connected after the model's own connections, so the model is up to date when these run.
    sourceConnections_.push_back(connect(source, &TDataSource::activeChanged, this, [this] {
        HideEditor();
        Rebind();
    }));
    sourceConnections_.push_back(connect(source, &TDataSource::dataSetAttached, this, [this] {
        HideEditor();
        Rebind();
    }));
    sourceConnections_.push_back(connect(source, &TDataSource::dataSetChanged, this, [this] {
        drawHandlerFailed_ = false;
        const TClientDataSet* dataSet = DataSet();
        if (!dataSet || !Editing(*dataSet))
            HideEditor();
        else if (editorShown_ && !editorModified_)
            LoadEditorText();
        ++bindingGeneration_;
        RefreshDefaultColumns();
        SyncToDataSet();
    }));
    sourceConnections_.push_back(connect(source, &TDataSource::stateChanged, this, &TDBGrid::SourceStateChanged));
    sourceConnections_.push_back(connect(source, &TDataSource::rowChanged, this, &TDBGrid::SourceRowChanged));
    sourceConnections_.push_back(connect(source, &TDataSource::cursorMoved, this, [this](int oldRow, int newRow) {
        if (oldRow != newRow) HideEditor();
        drawHandlerFailed_ = false;
        SyncToDataSet();
    }));
    // Before a post: the editor's text goes into the field. A refusal propagates to the post.
    sourceConnections_.push_back(connect(source, &TDataSource::updateRecord, this, [this] { UpdateData(); }));
    sourceConnections_.push_back(connect(source, &QObject::destroyed, this, [this] {
        HideEditor();
        Rebind();
    }));
}

void TDBGrid::Rebind()
{
    ++bindingGeneration_;
    drawHandlerFailed_ = false;
    RefreshDefaultColumns();
    TitlesChanged();
    ApplyColumnLayout();
    SyncToDataSet();
}

std::vector<QString> TDBGrid::VisibleFieldNames() const
{
    std::vector<QString> names;
    if (const TClientDataSet* dataSet = DataSet()) {
        for (int i = 0; i < dataSet->FieldCount(); ++i) {
            const TField& field = dataSet->Fields(i);
            if (field.Visible()) names.push_back(field.FieldName());
        }
    }
    return names;
}

void TDBGrid::RefreshDefaultColumns()
{
    if (columns_.State() == TDBGridColumns::TColumnsState::Default && columns_.SetDefault(VisibleFieldNames()))
        ColumnsChanged();
}

void TDBGrid::ColumnsChanged()
{
    if (columns_.State() == TDBGridColumns::TColumnsState::Default) columns_.SetDefault(VisibleFieldNames());
    HideEditor();
    QStringList names;
    for (const auto& column : columns_) names << column->FieldName();
    model_->SetColumns(names);
    TitlesChanged();
    ApplyColumnLayout();
    SyncToDataSet();
}

void TDBGrid::ColumnFieldChanged(int index, bool titleKept)
{
    if (index < 0) return;
    if (index == selectedIndex_) HideEditor();
    model_->SetColumnField(index, columns_[index].FieldName(), !titleKept);
    // A column that keeps its caption and width (a currency swap on every row move) changes
    // only its cells: measuring the titles again would cost more than the move itself.
    if (!titleKept) {
        TitlesChanged();
        ApplyColumnLayout();
    }
    viewport()->update();
}

void TDBGrid::ColumnLayoutChanged(int index)
{
    if (index < 0) return;
    if (index == selectedIndex_ && !columns_[index].Visible()) HideEditor();
    ApplyColumnLayout();
    SyncToDataSet();
}

void TDBGrid::TitlesChanged()
{
    horizontalHeader()->updateGeometry();
    horizontalHeader()->viewport()->update();
    updateGeometries();
}

void TDBGrid::ApplyColumnLayout()
{
    {
        const FlagScope applying(applyingLayout_);
        QHeaderView* titles = horizontalHeader();
        const int count = std::min(columns_.Count(), model_->columnCount());
        for (int i = 0; i < count; ++i) {
            const TColumn& column = columns_[i];
            setColumnHidden(i, !column.Visible());
            if (column.Visible()) titles->resizeSection(i, column.Width() + ColLineWidth());
        }
    }
    // The current column stays on a visible column.
    const int count = columns_.Count();
    if (count == 0) {
        selectedIndex_ = -1;
    } else {
        if (selectedIndex_ < 0) selectedIndex_ = 0;
        if (selectedIndex_ >= count) selectedIndex_ = count - 1;
        if (!columns_[selectedIndex_].Visible()) {
            int visible = NextVisibleColumn(selectedIndex_, 1);
            if (visible < 0) visible = NextVisibleColumn(selectedIndex_, -1);
            if (visible >= 0) selectedIndex_ = visible;
        }
    }
    PlaceOverlays();
}

void TDBGrid::SyncToDataSet()
{
    const int row = CurrentRow();
    QModelIndex target;
    if (row >= 0 && row < model_->rowCount() && selectedIndex_ >= 0 && selectedIndex_ < model_->columnCount())
        target = model_->index(row, selectedIndex_);
    {
        const CountScope syncing(syncing_);
        if (selectionModel() && selectionModel()->currentIndex() != target)
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    }
    const TClientDataSet* dataSet = DataSet();
    if (target.isValid() && !(dataSet && dataSet->ControlsDisabled())) scrollTo(target);
    PlaceOverlays();
    viewport()->update();
    verticalHeader()->viewport()->update();
}

void TDBGrid::SourceStateChanged()
{
    const TClientDataSet* dataSet = DataSet();
    if (!dataSet || !Editing(*dataSet)) HideEditor();
    PlaceOverlays();
    verticalHeader()->viewport()->update();
}

void TDBGrid::SourceRowChanged(int viewRow, int fieldIndex)
{
    drawHandlerFailed_ = false;
    if (!editorShown_ || viewRow != CurrentRow() || selectedIndex_ < 0) return;
    const TField* field = columns_[selectedIndex_].Field();
    if (!field) return;
    // A field changed by code replaces what the editor shows; a whole-row notice only
    // refreshes an editor the operator has not typed in.
    if (fieldIndex == field->Index() || (fieldIndex < 0 && !editorModified_)) LoadEditorText();
}

// ---- appearance

void TDBGrid::SetOptions(TDBGridOptions options)
{
    options_ = options;
    horizontalHeader()->setVisible(options_ & dgTitles);
    verticalHeader()->setVisible(options_ & dgIndicator);
    horizontalHeader()->setSectionResizeMode((options_ & dgColumnResize) ? QHeaderView::Interactive
                                                                         : QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight());
    if (!(options_ & dgEditing)) HideEditor();
    ApplyColumnLayout();
    viewport()->update();
}

void TDBGrid::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    if (readOnly_) HideEditor();
}

void TDBGrid::SetDefaultDrawing(bool on)
{
    defaultDrawing_ = on;
    viewport()->update();
}

QColor TDBGrid::Color() const { return palette().color(QPalette::Base); }

void TDBGrid::SetColor(const QColor& color)
{
    QPalette colors = palette();
    colors.setColor(QPalette::Base, color);
    setPalette(colors);
    viewport()->update();
}

void TDBGrid::SetTitleFont(const QFont& font)
{
    titleFont_ = font;
    TitlesChanged();
    ApplyColumnLayout();
}

int TDBGrid::RowHeight() const { return QFontMetrics(font()).height() + 3 + RowLineWidth(); }

// ---- current cell

int TDBGrid::CurrentRow() const
{
    const TClientDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active()) return -1;
    const int row = dataSet->RecNo() - 1;
    return row >= 0 ? row : -1;
}

void TDBGrid::SetSelectedIndex(int index)
{
    if (index < 0 || index >= columns_.Count() || !columns_[index].Visible()) return;
    MoveCol(index);
}

TField* TDBGrid::SelectedField() const
{
    if (selectedIndex_ < 0 || selectedIndex_ >= columns_.Count()) return nullptr;
    return columns_[selectedIndex_].Field();
}

void TDBGrid::SetSelectedField(TField* field)
{
    if (!field) return;
    for (int i = 0; i < columns_.Count(); ++i) {
        if (columns_[i].Field() == field) {
            SetSelectedIndex(i);
            return;
        }
    }
}

int TDBGrid::NextVisibleColumn(int from, int step) const
{
    for (int i = from + step; i >= 0 && i < columns_.Count(); i += step) {
        if (columns_[i].Visible()) return i;
    }
    return -1;
}

int TDBGrid::FirstVisibleColumn() const { return NextVisibleColumn(-1, 1); }

int TDBGrid::LastVisibleColumn() const { return NextVisibleColumn(columns_.Count(), -1); }

int TDBGrid::VisibleRowCount() const
{
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
}

QRect TDBGrid::CellRect(int viewRow, int column) const
{
    if (viewRow < 0 || viewRow >= model_->rowCount() || column < 0 || column >= model_->columnCount()) return {};
    return visualRect(model_->index(viewRow, column)).adjusted(0, 0, -ColLineWidth(), -RowLineWidth());
}

// ---- navigation

bool TDBGrid::FireColExit()
{
    if (inColExit_ || !OnColExit) return true;
    const int old = selectedIndex_;
    {
        const FlagScope exiting(inColExit_);
        OnColExit(*this);
    }
    // A handler that moved to another column itself has the last word.
    return selectedIndex_ == old;
}

void TDBGrid::EnterCol(int index)
{
    HideEditor();
    selectedIndex_ = index;
    SyncToDataSet();
    if (OnColEnter) OnColEnter(*this);
}

bool TDBGrid::MoveCol(int index)
{
    if (index < 0 || index >= columns_.Count() || index == selectedIndex_) return true;
    UpdateData();
    if (!FireColExit()) return false;
    EnterCol(index);
    return true;
}

void TDBGrid::MoveToRow(int viewRow)
{
    TClientDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active()) return;
    UpdateData();
    const int count = dataSet->ViewRowCount();
    if (count <= 0) return;
    viewRow = std::clamp(viewRow, 0, count - 1);
    // The dataset follows the row, not the position: an untouched new row it drops on the
    // way does not shift the target.
    if (viewRow != CurrentRow()) dataSet->MoveToRow(viewRow);
}

void TDBGrid::NextRow()
{
    TClientDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active()) return;
    UpdateData();
    const int row = CurrentRow();
    const int last = dataSet->ViewRowCount() - 1;
    if (dataSet->State() == TDataSetState::Insert && !dataSet->Modified()) {
        // Down from an untouched new row: nothing at the end, otherwise drop it.
        if (row < last) dataSet->Cancel();
        return;
    }
    if (row >= last) {
        if (CanModifyRows()) dataSet->Append();
        return;
    }
    dataSet->MoveToRow(row + 1);
}

void TDBGrid::PriorRow()
{
    TClientDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active()) return;
    UpdateData();
    if (dataSet->State() == TDataSetState::Insert && !dataSet->Modified()) {
        dataSet->Cancel();
        return;
    }
    const int row = CurrentRow();
    if (row > 0) dataSet->MoveToRow(row - 1);
}

void TDBGrid::NextCell(bool backwards)
{
    UpdateData();
    const int step = backwards ? -1 : 1;
    const int target = NextVisibleColumn(selectedIndex_, step);
    if (target >= 0) {
        MoveCol(target);
        return;
    }
    // Past the last (first) column: the first (last) column of the next (previous) row.
    const int wrapTo = backwards ? LastVisibleColumn() : FirstVisibleColumn();
    const TClientDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active() || wrapTo < 0) return;
    if (wrapTo != selectedIndex_ && !FireColExit()) return;
    const int rowBefore = CurrentRow();
    const int countBefore = dataSet->ViewRowCount();
    if (backwards)
        PriorRow();
    else
        NextRow();
    const bool moved = CurrentRow() != rowBefore || dataSet->ViewRowCount() != countBefore;
    if (moved && wrapTo != selectedIndex_) EnterCol(wrapTo);
}

void TDBGrid::ClickCell(int viewRow, int column)
{
    UpdateData();
    const bool changesColumn = column >= 0 && column != selectedIndex_ && columns_[column].Visible();
    if (changesColumn && !FireColExit()) return;
    if (viewRow != CurrentRow()) MoveToRow(viewRow);
    if (changesColumn) EnterCol(column);
    pressMoved_ = true;
}

void TDBGrid::InsertRow()
{
    TClientDataSet* dataSet = DataSet();
    if (!dataSet || !CanModifyRows()) return;
    UpdateData();
    dataSet->Insert();
}

void TDBGrid::DeleteRow()
{
    TClientDataSet* dataSet = DataSet();
    if (!dataSet || !CanModifyRows() || dataSet->IsEmpty()) return;
    if ((options_ & dgConfirmDelete)
        && Dialogs().MessageDlg(kConfirmDelete, TMsgDlgType::Confirmation, mbYes | mbNo, 0) != TModalResult::Yes)
        return;
    HideEditor();
    dataSet->Delete();  // a row being inserted is dropped instead
}

void TDBGrid::CancelKey()
{
    if (editorShown_) {
        HideEditor();
        viewport()->update();
        return;
    }
    TClientDataSet* dataSet = DataSet();
    if (dataSet && Editing(*dataSet)) dataSet->Cancel();
}

void TDBGrid::EditButtonClick()
{
    if (selectedIndex_ < 0 || columns_[selectedIndex_].ButtonStyle() != TColumnButtonStyle::Ellipsis) return;
    if (OnEditButtonClick) OnEditButtonClick(*this);
}

// ---- mouse

void TDBGrid::mousePressEvent(QMouseEvent* event)
{
    pressMoved_ = false;
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) Guard::Run([&] { ClickCell(index.row(), index.column()); });
    event->accept();
}

void TDBGrid::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();  // no drag selection: the current cell is the dataset's row
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clicked = std::exchange(pressMoved_, false);
    if (event->button() == Qt::LeftButton && clicked && indexAt(event->position().toPoint()).isValid()
        && selectedIndex_ >= 0 && OnCellClick) {
        Guard::Run([&] { OnCellClick(columns_[selectedIndex_]); });
    }
    event->accept();
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click is a click too; it also opens the editor.
    pressMoved_ = false;
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) {
        Guard::Run([&] {
            ClickCell(index.row(), index.column());
            if (!editorShown_ && CanEditCell()) ShowEditor(false);
        });
    }
    event->accept();
}

// ---- view plumbing

void TDBGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
}

void TDBGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    // Only the dataset moves the current row; anything else Qt does is put back.
    if (!syncing_) SyncToDataSet();
}

void TDBGrid::updateGeometries()
{
    QTableView::updateGeometries();
    PlaceOverlays();
}

void TDBGrid::updateEditorGeometries()
{
    QTableView::updateEditorGeometries();
    PlaceOverlays();
}

void TDBGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    PlaceOverlays();
}

void TDBGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        verticalHeader()->setDefaultSectionSize(RowHeight());
        ApplyColumnLayout();  // default widths follow the font
    }
}

void TDBGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    PlaceOverlays();
}

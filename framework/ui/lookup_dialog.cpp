#include "framework/ui/lookup_dialog.h"

#include "framework/data/dataset_model.h"
#include "framework/data/datasource.h"
#include "framework/ui/guard.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

TLookupDialog::TLookupDialog(TDataSource& source, const QString& title, TChooseRowOptions options, QWidget* parent)
    : QDialog(parent), source_(source), options_(options)
{
    setWindowTitle(title.isEmpty() ? QStringLiteral("Pesquisa") : title);
    setObjectName(QStringLiteral("lookupDialog"));

    model_ = new TDataSetModel(this);
    model_->SetDataSource(&source);
    model_->SetColumns({});
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortCaseSensitivity(Qt::CaseInsensitive);

    searchLabel_ = new QLabel(this);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("search"));
    search_->setEnabled(options.IncrementalSearch);
    searchLabel_->setBuddy(search_);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("list"));
    grid_->setModel(proxy_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setTabKeyNavigation(false);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->setSortingEnabled(options.AllowSort);
    grid_->horizontalHeader()->setSectionsClickable(options.AllowSort);
    grid_->installEventFilter(this);
    search_->installEventFilter(this);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel_);
    searchRow->addWidget(search_, 1);
    layout->addLayout(searchRow);
    layout->addWidget(grid_, 1);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Guard::Run([this] { Choose(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this] { Guard::Run([this] { Choose(); }); });
    connect(search_, &QLineEdit::textEdited, this, &TLookupDialog::SearchEdited);
    connect(grid_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this] { ShowSearchLabel(); });

    // Start on the dataset's current row.
    const TClientDataSet* dataSet = source.DataSet();
    const int current = dataSet && dataSet->Active() ? dataSet->RecNo() - 1 : -1;
    if (current >= 0 && current < proxy_->rowCount())
        grid_->setCurrentIndex(proxy_->index(current, 0));
    else if (proxy_->rowCount() > 0)
        grid_->setCurrentIndex(proxy_->index(0, 0));
    if (grid_->currentIndex().isValid()) grid_->scrollTo(grid_->currentIndex(), QAbstractItemView::PositionAtCenter);

    SizeColumns();
    ShowSearchLabel();
    if (options.IncrementalSearch)
        search_->setFocus();
    else
        grid_->setFocus();
}

int TLookupDialog::SearchColumn() const
{
    if (options_.AllowSort && proxy_->sortColumn() >= 0) return proxy_->sortColumn();
    return 0;
}

void TLookupDialog::ShowSearchLabel()
{
    const int column = SearchColumn();
    const QString label =
        column < proxy_->columnCount() ? proxy_->headerData(column, Qt::Horizontal).toString() : QString();
    searchLabel_->setText(label.isEmpty() ? QStringLiteral("&Procurar:")
                                          : QStringLiteral("&Procurar por %1:").arg(label));
}

bool TLookupDialog::Search(const QString& text)
{
    const int column = SearchColumn();
    if (column >= proxy_->columnCount()) return false;
    for (int row = 0; row < proxy_->rowCount(); ++row) {
        const QString shown = proxy_->index(row, column).data(Qt::DisplayRole).toString();
        if (shown.startsWith(text, Qt::CaseInsensitive)) {
            const QModelIndex index = proxy_->index(row, column);
            grid_->setCurrentIndex(index);
            grid_->scrollTo(index);
            return true;
        }
    }
    return false;
}

void TLookupDialog::SearchEdited(const QString& text)
{
    const bool found = text.isEmpty() || Search(text);
    QPalette p = search_->palette();
    p.setColor(QPalette::Text, found ? palette().color(QPalette::Text) : QColor(Qt::red));
    search_->setPalette(p);
}

void TLookupDialog::Choose()
{
    const QModelIndex current = grid_->currentIndex();
    TClientDataSet* dataSet = source_.DataSet();
    if (!current.isValid() || !dataSet) {
        reject();  // nothing to pick in an empty list
        return;
    }
    dataSet->MoveToRow(proxy_->mapToSource(current).row());
    accept();
}

void TLookupDialog::SizeColumns()
{
    const int charWidth = grid_->fontMetrics().averageCharWidth();
    int total = 0;
    for (int c = 0; c < model_->columnCount(); ++c) {
        const TField* field = model_->ColumnField(c);
        const int chars = field ? std::clamp(field->DisplayWidth(), 4, 60) : 10;
        const int title = grid_->fontMetrics().horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString());
        const int width = std::max(chars * charWidth, title) + 16;
        grid_->setColumnWidth(c, width);
        total += width;
    }
    resize(std::clamp(total + 40, 320, 900), 380);
}

bool TLookupDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == search_) {
        // The arrows move the list while the operator keeps typing.
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: QCoreApplication::sendEvent(grid_, event); return true;
        default: return false;
        }
    }
    if (watched == grid_ && options_.IncrementalSearch && !key->text().isEmpty() && key->text().at(0).isPrint()
        && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        // Typing in the list goes on the search text.
        search_->setFocus();
        search_->insert(key->text());
        SearchEdited(search_->text());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

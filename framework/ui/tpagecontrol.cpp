#include "framework/ui/tpagecontrol.h"

#include "framework/ui/guard.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

// Counts a nesting level for its lifetime.
class SyncScope {
public:
    explicit SyncScope(int& level) : level_(level) { ++level_; }
    ~SyncScope() { --level_; }
    SyncScope(const SyncScope&) = delete;
    SyncScope& operator=(const SyncScope&) = delete;

private:
    int& level_;
};

// The tabs. Disabled tabs are drawn greyed by the page control and never chosen here: a
// click on one does nothing, the arrow keys step over it, the wheel does not turn pages.
class PageTabBar : public QTabBar {
public:
    PageTabBar(TCustomPageControl98& owner, QWidget* parent) : QTabBar(parent), owner_(owner)
    {
        setFocusPolicy(Qt::StrongFocus);
        setDrawBase(false);
        setExpanding(false);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const int tab = tabAt(event->position().toPoint());
        const TTabSheet* page = owner_.Pages(tab);
        if (event->button() == Qt::LeftButton && page && !TCustomPageControl98::Selectable(*page)) {
            event->accept();
            return;
        }
        QTabBar::mousePressEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->modifiers() == Qt::NoModifier && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
            owner_.SelectNextPage(event->key() == Qt::Key_Right);
            event->accept();
            return;
        }
        QTabBar::keyPressEvent(event);
    }

    void wheelEvent(QWheelEvent* event) override { event->ignore(); }

private:
    TCustomPageControl98& owner_;
};

}  // namespace

// ---------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TCustomPageControl98& pageControl, const QString& caption)
    : pageControl_(pageControl), layout_(new QVBoxLayout(this)), caption_(caption)
{
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    pageControl_.AddPage(*this);
}

void TTabSheet::SetCaption(const QString& caption)
{
    caption_ = caption;
    pageControl_.PageStateChanged(*this);
}

void TTabSheet::SetTabVisible(bool visible)
{
    if (tabVisible_ == visible) return;
    tabVisible_ = visible;
    pageControl_.PageStateChanged(*this);
}

int TTabSheet::PageIndex() const { return pageControl_.TabIndexOf(*this); }

void TTabSheet::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) pageControl_.PageStateChanged(*this);
}

// ---------------------------------------------------------------- TCustomPageControl98

TCustomPageControl98::TCustomPageControl98(QWidget* parent)
    : QWidget(parent), tabs_(new PageTabBar(*this, this)), stack_(new QStackedWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tabs_);
    layout->addWidget(stack_, 1);
    stack_->setFrameShape(QFrame::StyledPanel);
    connect(tabs_, &QTabBar::currentChanged, this, &TCustomPageControl98::TabChosen);

    // The usual keys for the next and previous page, wherever the focus is in the control.
    const auto addKey = [this](const QKeySequence& key, bool forward) {
        auto* action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, [this, forward] { SelectNextPage(forward); });
        addAction(action);
    };
    addKey(QKeySequence(Qt::CTRL | Qt::Key_PageDown), true);
    addKey(QKeySequence(Qt::CTRL | Qt::Key_PageUp), false);
}

void TCustomPageControl98::AddPage(TTabSheet& page)
{
    const SyncScope sync(syncing_);
    pages_.push_back(&page);
    stack_->addWidget(&page);
    tabs_->addTab(page.Caption());
    if (!active_) {
        active_ = &page;
        stack_->setCurrentWidget(&page);
    }
    tabs_->setCurrentIndex(TabIndexOf(*active_));
    ShowTabs();
}

TTabSheet* TCustomPageControl98::Pages(int index) const
{
    return index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

TTabSheet* TCustomPageControl98::ActivePage() const { return active_; }

int TCustomPageControl98::ActivePageIndex() const { return active_ ? TabIndexOf(*active_) : -1; }

int TCustomPageControl98::TabIndexOf(const TTabSheet& page) const
{
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i] == &page) return static_cast<int>(i);
    }
    return -1;
}

TTabSheet* TCustomPageControl98::PageAtTab(int tabIndex) const { return Pages(tabIndex); }

bool TCustomPageControl98::Selectable(const TTabSheet& page) { return page.isEnabled() && page.TabVisible(); }

void TCustomPageControl98::SetActivePage(TTabSheet* page)
{
    if (!page || &page->PageControl() != this || !page->TabVisible()) return;
    ShowPage(page, false);
}

void TCustomPageControl98::SetActivePageIndex(int index) { SetActivePage(Pages(index)); }

bool TCustomPageControl98::SelectNextPage(bool forward)
{
    const int count = PageCount();
    if (count == 0) return false;
    const int from = active_ ? TabIndexOf(*active_) : (forward ? -1 : 0);
    for (int step = 1; step <= count; ++step) {
        const int index = ((from + (forward ? step : -step)) % count + count) % count;
        TTabSheet* page = Pages(index);
        if (page == active_) break;
        if (Selectable(*page)) {
            ShowPage(page, true);
            return true;
        }
    }
    return false;
}

void TCustomPageControl98::TabChosen(int tabIndex)
{
    if (syncing_ > 0) return;
    TTabSheet* page = PageAtTab(tabIndex);
    if (!page || !Selectable(*page)) {
        // Chosen some other way (a mnemonic): a disabled page stays unchosen.
        const SyncScope sync(syncing_);
        tabs_->setCurrentIndex(active_ ? TabIndexOf(*active_) : -1);
        return;
    }
    ShowPage(page, true);
}

void TCustomPageControl98::ShowPage(TTabSheet* page, bool byOperator)
{
    if (page == active_) {
        const SyncScope sync(syncing_);
        tabs_->setCurrentIndex(TabIndexOf(*page));
        return;
    }
    // The focus must not wander to another group when its page is hidden: it goes to the
    // tabs, as a click on them would have put it.
    QWidget* focus = QApplication::focusWidget();
    if (active_ && focus && active_->isAncestorOf(focus) && tabs_->isVisible()) tabs_->setFocus(Qt::OtherFocusReason);
    active_ = page;
    {
        const SyncScope sync(syncing_);
        tabs_->setCurrentIndex(TabIndexOf(*page));
        stack_->setCurrentWidget(page);
    }
    if (byOperator)
        Guard::Fire(OnChange, *this);
    else if (OnChange)
        OnChange(*this);
}

void TCustomPageControl98::PageStateChanged(TTabSheet& page)
{
    const int index = TabIndexOf(page);
    if (index < 0) return;  // still being added
    const SyncScope sync(syncing_);
    // Setting a tab's text lays out the tab bar and every window around it, even when the
    // text is the same; a page enabled or disabled changes only its text's colour.
    if (tabs_->tabText(index) != page.Caption()) tabs_->setTabText(index, page.Caption());
    tabs_->setTabVisible(index, page.TabVisible());
    ShowTabs();
    if (active_) tabs_->setCurrentIndex(TabIndexOf(*active_));
}

void TCustomPageControl98::ShowTabs()
{
    const QColor disabled = palette().color(QPalette::Disabled, QPalette::WindowText);
    for (int i = 0; i < PageCount(); ++i) tabs_->setTabTextColor(i, Pages(i)->isEnabled() ? QColor() : disabled);
}

#pragma once
// The page control: tabs over a stack of pages, where a tab can be disabled.
//
//   tshFormulario->SetEnabled(false);              // greyed tab, its controls disabled
//   pgcPadrao->SetActivePage(tshFolhaDados);       // selects it; OnChange fires
//   if (pgcPadrao->ActivePage() == tshFormulario) ...
//
// Rules:
// - A disabled tab cannot be chosen by the operator (click, arrow keys on the tabs,
//   Ctrl+PgDn/Ctrl+PgUp, mnemonic); code can still select it with SetActivePage, and
//   disabling the active page keeps it active (its controls are disabled).
// - OnChange fires after the active page changed, whether the operator or SetActivePage
//   changed it; never when the page stays the same. When the operator changed it the
//   handler runs through the event guard; when code did, its failure reaches that code
//   (the page stays changed).
// - When the focus was inside the page being left, it moves to the tabs, so no control of
//   another group gets it (and no exit handler of another panel runs).

#include "framework/ui/events.h"

#include <QVBoxLayout>
#include <QWidget>

#include <vector>

class QStackedWidget;
class QTabBar;
class TCustomPageControl98;

class TTabSheet : public QWidget {
    Q_OBJECT
public:
    // Appends the page to `pageControl`.
    TTabSheet(TCustomPageControl98& pageControl, const QString& caption);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // Enabled is the tab's and its controls' (QWidget::setEnabled works the same).
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }
    // A page whose tab is not visible cannot be chosen, even by code (hiding the active
    // page's tab leaves it showing until another page is chosen).
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool visible);
    int PageIndex() const;
    TCustomPageControl98& PageControl() const { return pageControl_; }
    // The page's own layout (vertical, no margins), where its controls go.
    QVBoxLayout& Layout() const { return *layout_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    TCustomPageControl98& pageControl_;
    QVBoxLayout* layout_;
    QString caption_;
    bool tabVisible_ = true;
};

class TCustomPageControl98 : public QWidget {
    Q_OBJECT
public:
    explicit TCustomPageControl98(QWidget* parent = nullptr);

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const;
    int ActivePageIndex() const;
    // Selects the page (nullptr or a page of another control is ignored; a page whose tab is
    // hidden too); fires OnChange when the page changed.
    void SetActivePage(TTabSheet* page);
    void SetActivePageIndex(int index);
    // Selects the next (previous) page the operator could choose, wrapping around, as the
    // operator would (OnChange through the guard); false when there is none.
    bool SelectNextPage(bool forward);
    // True when the operator could choose the page now (enabled, tab visible).
    static bool Selectable(const TTabSheet& page);

    QTabBar& Tabs() const { return *tabs_; }

    TNotifyEvent OnChange;

private:
    friend class TTabSheet;

    void AddPage(TTabSheet& page);
    void PageStateChanged(TTabSheet& page);
    void TabChosen(int tabIndex);
    int TabIndexOf(const TTabSheet& page) const;
    TTabSheet* PageAtTab(int tabIndex) const;
    void ShowPage(TTabSheet* page, bool byOperator);
    void ShowTabs();

    QTabBar* tabs_;
    QStackedWidget* stack_;
    std::vector<TTabSheet*> pages_;
    TTabSheet* active_ = nullptr;
    int syncing_ = 0;
};

using TPageControl = TCustomPageControl98;

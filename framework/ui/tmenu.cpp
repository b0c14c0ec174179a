#include "framework/ui/tmenu.h"

#include "framework/ui/guard.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

namespace {

const QString kSeparator = QStringLiteral("-");

// Shows a popup menu on a control's context-menu request.
class PopupFilter : public QObject {
public:
    PopupFilter(QMenu& menu, QObject* parent) : QObject(parent), menu_(&menu) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ContextMenu || !menu_) return QObject::eventFilter(watched, event);
        menu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }

private:
    QPointer<QMenu> menu_;
};

// Tells a linked item when its button was enabled or disabled directly.
class ButtonWatch : public QObject {
public:
    ButtonWatch(std::function<void()> changed, QObject* parent) : QObject(parent), changed_(std::move(changed)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::EnabledChange) changed_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> changed_;
};

}  // namespace

// ---------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(const QString& name, const QString& caption, QObject* owner) : QObject(owner)
{
    setObjectName(name);
    action_ = new QAction(this);
    action_->setObjectName(name);
    if (caption == kSeparator)
        action_->setSeparator(true);
    else
        action_->setText(caption);
    action_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action_, &QAction::triggered, this, [this] { Triggered(); });
    connect(action_, &QAction::changed, this, [this] {
        ShowOnButtons();
        emit changed();
    });
}

TMenuItem::~TMenuItem() = default;

QString TMenuItem::Caption() const { return action_->isSeparator() ? kSeparator : action_->text(); }

void TMenuItem::SetCaption(const QString& caption)
{
    action_->setSeparator(caption == kSeparator);
    if (caption != kSeparator) action_->setText(caption);
}

bool TMenuItem::Enabled() const { return action_->isEnabled(); }

void TMenuItem::SetEnabled(bool enabled) { action_->setEnabled(enabled); }

bool TMenuItem::Visible() const { return action_->isVisible(); }

void TMenuItem::SetVisible(bool visible) { action_->setVisible(visible); }

bool TMenuItem::Checked() const { return action_->isChecked(); }

void TMenuItem::SetChecked(bool checked)
{
    if (checked && !action_->isCheckable()) action_->setCheckable(true);
    action_->setChecked(checked);
    if (!checked || groupIndex_ == 0 || !parent_) return;
    for (TMenuItem* sibling : parent_->items_) {
        if (sibling != this && sibling->groupIndex_ == groupIndex_) sibling->action_->setChecked(false);
    }
}

void TMenuItem::SetGroupIndex(int group) { groupIndex_ = group; }

QKeySequence TMenuItem::ShortCut() const { return action_->shortcut(); }

void TMenuItem::SetShortCut(const QKeySequence& shortcut) { action_->setShortcut(shortcut); }

QString TMenuItem::Hint() const { return action_->statusTip(); }

void TMenuItem::SetHint(const QString& hint)
{
    action_->setStatusTip(hint);
    action_->setToolTip(hint);
    for (const auto& button : buttons_) {
        if (button) button->setToolTip(hint);
    }
}

bool TMenuItem::IsSeparator() const { return action_->isSeparator(); }

TMenuItem* TMenuItem::Add(const QString& name, const QString& caption)
{
    auto* item = new TMenuItem(name, caption, this);
    Attach(*item);
    return item;
}

TMenuItem* TMenuItem::AddSeparator() { return Add(QString(), kSeparator); }

void TMenuItem::Attach(TMenuItem& child)
{
    child.parent_ = this;
    items_.push_back(&child);
    EnsureSubMenu().addAction(child.action_);
    child.SetScope(scope_);
}

QMenu& TMenuItem::EnsureSubMenu()
{
    if (!menu_) {
        menu_ = std::make_unique<QMenu>();
        menu_->setObjectName(objectName());
        action_->setMenu(menu_.get());
    }
    return *menu_;
}

void TMenuItem::SetScope(QWidget* scope)
{
    if (scope_ == scope) return;
    if (scope_) scope_->removeAction(action_);
    scope_ = scope;
    // The item's shortcut is live while the focus is inside the scope (the form).
    if (scope_ && !action_->isSeparator()) scope_->addAction(action_);
    for (TMenuItem* child : items_) child->SetScope(scope);
}

TMenuItem* TMenuItem::Items(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

TMenuItem* TMenuItem::Find(const QString& name) const
{
    if (objectName() == name) return const_cast<TMenuItem*>(this);
    for (TMenuItem* child : items_) {
        if (TMenuItem* found = child->Find(name)) return found;
    }
    return nullptr;
}

void TMenuItem::Triggered()
{
    if (!items_.empty()) return;  // a submenu opens; it runs nothing
    if (groupIndex_ != 0 && action_->isCheckable()) SetChecked(true);
    Guard::Run([this] { Click(); });
}

void TMenuItem::Click()
{
    if (OnClick) OnClick(*this);
}

void TMenuItem::LinkButton(QAbstractButton& button)
{
    buttons_.emplace_back(&button);
    auto* watch = new ButtonWatch(
        [this, b = QPointer<QAbstractButton>(&button)] {
            if (b) ButtonEnabledChanged(*b);
        },
        &button);
    button.installEventFilter(watch);
    if (!Hint().isEmpty()) button.setToolTip(Hint());
    ShowOnButtons();
}

void TMenuItem::ButtonEnabledChanged(QAbstractButton& button)
{
    if (syncing_) return;
    // The button's own setting, not the one it inherits from a disabled toolbar.
    const bool enabled = !button.testAttribute(Qt::WA_ForceDisabled);
    if (enabled != action_->isEnabled()) action_->setEnabled(enabled);
}

void TMenuItem::ShowOnButtons()
{
    if (syncing_) return;
    syncing_ = true;
    for (const auto& button : buttons_) {
        if (!button) continue;
        button->setEnabled(action_->isEnabled());
        button->setVisible(action_->isVisible());
    }
    syncing_ = false;
}

// ---------------------------------------------------------------- TMainMenu

TMainMenu::TMainMenu(QWidget* form) : QMenuBar(form)
{
    setObjectName(QStringLiteral("mnuMenu"));
    setNativeMenuBar(false);  // the form's own bar, inside the form
}

TMenuItem* TMainMenu::Add(const QString& name, const QString& caption)
{
    auto* item = new TMenuItem(name, caption, this);
    item->EnsureSubMenu();
    addAction(item->Action());
    items_.push_back(item);
    item->SetScope(parentWidget());
    return item;
}

TMenuItem* TMainMenu::Items(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

TMenuItem* TMainMenu::Find(const QString& name) const
{
    for (TMenuItem* item : items_) {
        if (TMenuItem* found = item->Find(name)) return found;
    }
    return nullptr;
}

// ---------------------------------------------------------------- TPopupMenu

TPopupMenu::TPopupMenu(QWidget* owner) : QObject(owner), root_(new TMenuItem(QString(), QString(), this))
{
    root_->EnsureSubMenu();
}

TPopupMenu::~TPopupMenu() = default;

TMenuItem* TPopupMenu::Add(const QString& name, const QString& caption) { return root_->Add(name, caption); }

TMenuItem* TPopupMenu::AddSeparator() { return root_->AddSeparator(); }

void TPopupMenu::AttachTo(QWidget& control)
{
    control.setContextMenuPolicy(Qt::DefaultContextMenu);
    control.installEventFilter(new PopupFilter(*root_->SubMenu(), &control));
    // A scroll area (a grid) gets its context-menu events through its viewport.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(&control))
        area->viewport()->installEventFilter(new PopupFilter(*root_->SubMenu(), &control));
}

void TPopupMenu::Popup(const QPoint& globalPos) { root_->SubMenu()->popup(globalPos); }

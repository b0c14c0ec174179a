#pragma once
// Menus: a form's main menu (a menu bar inside the form), its items, and popup menus.
//
//   mnuOperacao = mnuMenu->Add(QStringLiteral("mnuOperacao"), QStringLiteral("&Operação"));
//   mnuIncluir = mnuOperacao->Add(QStringLiteral("mnuIncluir"), QStringLiteral("&Incluir"));
//   mnuIncluir->SetShortCut(Qt::Key_F6);
//   mnuIncluir->OnClick = [this](QObject& s) { sbtIncluirClick(s); };
//   mnuIncluir->LinkButton(*sbtIncluir);      // the button and the item share their state
//
// - A caption marks its accelerator with "&" ("&&" for the character itself).
// - An item with items of its own is a submenu; an item without is a command.
// - OnClick runs through the event guard when the operator chooses the item (menu, shortcut
//   or linked button); a disabled or hidden item runs nothing. Click() runs it as code does:
//   its failure reaches the caller.
// - Shortcuts of a main menu work while the focus is anywhere inside the form that holds the
//   menu, so two forms of one window never take each other's keys.
// - A linked button and its item are one command: Enabled and Visible set on either show on
//   both, and the item's hint is the button's tooltip.

#include "framework/ui/events.h"

#include <QKeySequence>
#include <QMenuBar>
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QAction;
class QMenu;
class QAbstractButton;

class TMenuItem : public QObject {
    Q_OBJECT
public:
    // A separator when `caption` is "-".
    TMenuItem(const QString& name, const QString& caption, QObject* owner);
    ~TMenuItem() override;

    QString Caption() const;
    void SetCaption(const QString& caption);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Checked() const;
    void SetChecked(bool checked);
    // Items of one group behave as radio items (checking one unchecks the others); 0: none.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int group);
    QKeySequence ShortCut() const;
    void SetShortCut(const QKeySequence& shortcut);
    QString Hint() const;
    void SetHint(const QString& hint);
    bool IsSeparator() const;

    // ---- sub-items
    TMenuItem* Add(const QString& name, const QString& caption);
    TMenuItem* AddSeparator();
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    TMenuItem* Find(const QString& name) const;  // this item or one below, by object name
    TMenuItem* Parent() const { return parent_; }

    // Runs OnClick as code does.
    void Click();

    void LinkButton(QAbstractButton& button);

    // The Qt side, for the menu bar and for tests.
    QAction* Action() const { return action_; }
    QMenu* SubMenu() const { return menu_.get(); }

    TNotifyEvent OnClick;

signals:
    void changed();  // caption, enabled, visible, checked or shortcut changed

private:
    friend class TMainMenu;
    friend class TPopupMenu;

    void Triggered();
    QMenu& EnsureSubMenu();
    void Attach(TMenuItem& child);
    void SetScope(QWidget* scope);
    void ButtonEnabledChanged(QAbstractButton& button);
    void ShowOnButtons();

    QAction* action_ = nullptr;  // owned by this item
    std::unique_ptr<QMenu> menu_;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;  // owned by this item (Qt children)
    std::vector<QPointer<QAbstractButton>> buttons_;
    QPointer<QWidget> scope_;
    int groupIndex_ = 0;
    bool syncing_ = false;
};

// The menu bar of a form. Its items' shortcuts work inside `form`.
class TMainMenu : public QMenuBar {
    Q_OBJECT
public:
    explicit TMainMenu(QWidget* form);

    TMenuItem* Add(const QString& name, const QString& caption);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    // An item anywhere in the menu, by object name; nullptr when absent.
    TMenuItem* Find(const QString& name) const;

private:
    std::vector<TMenuItem*> items_;
};

// A popup menu, shown at the mouse by the controls that name it.
class TPopupMenu : public QObject {
    Q_OBJECT
public:
    explicit TPopupMenu(QWidget* owner);
    ~TPopupMenu() override;

    TMenuItem* Add(const QString& name, const QString& caption);
    TMenuItem* AddSeparator();
    int Count() const { return root_->Count(); }
    TMenuItem* Items(int index) const { return root_->Items(index); }
    TMenuItem* Find(const QString& name) const { return root_->Find(name); }

    // Makes `control` show this menu on a right click (or the menu key).
    void AttachTo(QWidget& control);
    // Shows the menu at a global position; returns at once.
    void Popup(const QPoint& globalPos);
    QMenu* Menu() const { return root_->SubMenu(); }

private:
    TMenuItem* root_;  // owned (Qt child)
};

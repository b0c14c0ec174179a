#pragma once
// TSpeedButton: a toolbar button that never takes the focus (so clicking it leaves the
// focus, and its exit checks, where they are), with a caption or a glyph, a hint, flat or
// raised. OnClick runs through the event guard.

#include "framework/ui/events.h"

#include <QToolButton>

class TSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }
    bool Flat() const { return autoRaise(); }
    void SetFlat(bool flat) { setAutoRaise(flat); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }

    // A strip of `count` images: the first for enabled, the second (if any) for disabled.
    void SetGlyph(const QPixmap& strip, int count = 1);
    // Two images: enabled and disabled.
    void SetGlyphs(const QPixmap& enabled, const QPixmap& disabled);

    // Runs OnClick as code does: its failure reaches the caller.
    void Click();

    TNotifyEvent OnClick;

protected:
    // What a click does; the lookup button replaces it.
    virtual void DoClick();

private:
    void ShowStyle();
};

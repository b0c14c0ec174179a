#pragma once
// TBitBtn: a push button that takes the focus (so the exit checks of the control left run
// first, and a refused exit swallows the click), with a caption, a glyph, a hint, flat or
// raised. OnClick runs through the event guard.

#include "framework/ui/events.h"

#include <QPushButton>

class TBitBtn : public QPushButton {
    Q_OBJECT
public:
    explicit TBitBtn(QWidget* parent = nullptr);
    TBitBtn(const QString& caption, QWidget* parent);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }
    bool Flat() const { return isFlat(); }
    void SetFlat(bool flat) { setFlat(flat); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool tabStop) { setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus); }

    void SetGlyph(const QPixmap& strip, int count = 1);
    void SetGlyphs(const QPixmap& enabled, const QPixmap& disabled);

    // Runs OnClick as code does: its failure reaches the caller.
    void Click();

    TNotifyEvent OnClick;
};

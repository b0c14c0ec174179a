#pragma once
// TPanel: a container whose OnEnter and OnExit fire when the focus enters or leaves its
// children as a group (focus_events.h). An exit handler that raises keeps the operator in
// the panel.

#include "framework/ui/focus_events.h"

#include <QFrame>

enum class TBevel { None, Lowered, Raised };

class TPanel : public QFrame, public TFocusEvents {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);

    TBevel BevelOuter() const { return bevel_; }
    void SetBevelOuter(TBevel bevel);
    void SetColor(const QColor& color);

    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }

private:
    TBevel bevel_ = TBevel::Raised;
};

#pragma once
// TLabel: a caption beside a control. An "&" in the caption marks the mnemonic that gives
// the focus to FocusControl.

#include <QLabel>

class TLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent = nullptr);
    TLabel(const QString& caption, QWidget* parent);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }

    bool Bold() const { return font().bold(); }
    void SetBold(bool bold);
    // Point size of the caption; the application font's size when never set.
    void SetFontSize(int pointSize);
    void SetFontColor(const QColor& color);

    QWidget* FocusControl() const { return buddy(); }
    void SetFocusControl(QWidget* control) { setBuddy(control); }
};

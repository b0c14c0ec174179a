#include "framework/ui/colors.h"

#include <QApplication>
#include <QPalette>

namespace Colors {

QColor InfoBk() { return QApplication::palette().color(QPalette::ToolTipBase); }
QColor BtnFace() { return QApplication::palette().color(QPalette::Button); }
QColor Window() { return QApplication::palette().color(QPalette::Base); }
QColor WindowText() { return QApplication::palette().color(QPalette::Text); }

}  // namespace Colors

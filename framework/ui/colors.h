#pragma once
// The system colours forms ask for by name, taken from the application palette so they
// follow the desktop theme.

#include <QColor>

namespace Colors {

QColor InfoBk();   // info background: the tooltip background
QColor BtnFace();  // button face
QColor Window();   // the ordinary background of an edit
QColor WindowText();

}  // namespace Colors

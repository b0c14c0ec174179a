#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace WidgetDriver {

bool ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

void Focus(QWidget& control)
{
    control.setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
}

}  // namespace WidgetDriver

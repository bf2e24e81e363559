#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>

#include "platform/x11_connection.h"

namespace platform::x11 {

Display* connection()
{
    static Display* d = [] {
        const char* name = nullptr;
        QByteArray qtName;
        auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        if (auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
            if (x11->display()) {
                qtName = DisplayString(x11->display());
                name = qtName.constData();
            }
        }
        return XOpenDisplay(name);
    }();
    return d;
}

ErrorTrap::ErrorTrap()
{
    if (connection())
        XSync(connection(), False);
    failed_ = false;
    previous_ = XSetErrorHandler(&ErrorTrap::record);
}

ErrorTrap::~ErrorTrap()
{
    if (connection())
        XSync(connection(), False);
    XSetErrorHandler(previous_);
}

bool ErrorTrap::failed()
{
    if (connection())
        XSync(connection(), False);
    return failed_;
}

int ErrorTrap::record(Display*, XErrorEvent*)
{
    failed_ = true;
    return 0;
}

} // namespace platform::x11

#pragma once
// Message boxes as the system has always shown them: a text, a caption, a button set and an icon, answered
// with the id of the button pressed. Tests see every box through a hook and may answer it themselves.
#include "platform/platform_export.h"
#include "platform/win_types.h"

#include <QString>

#include <functional>

class QWidget;

namespace platform {

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct MessageBoxRequest {
    QString text;
    QString caption;
    UINT type = MB_OK;
};

// The hook sees every box before it is shown. It returns the id of the button that answers it, or 0 to let
// the real box be shown. Passing an empty function removes the hook.
using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;
QMPLATFORM_EXPORT void setMessageBoxHook(MessageBoxHook hook);

// Shows a modal box owned by owner (may be null) and returns the button pressed. Without a GUI
// application the text goes to standard error and the box answers with its default button.
QMPLATFORM_EXPORT int MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT type);

} // namespace platform

#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace platform {

namespace {

MessageBoxHook& hook()
{
    static MessageBoxHook instance;
    return instance;
}

// The first button of a Windows box is its default.
int defaultAnswer(UINT buttons)
{
    switch (buttons) {
    case MB_OKCANCEL:
        return IDOK;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    default:
        return IDOK;
    }
}

QMessageBox::Icon iconOf(UINT type)
{
    switch (type & 0xF0) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

void setMessageBoxHook(MessageBoxHook h)
{
    hook() = std::move(h);
}

int MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT type)
{
    if (hook()) {
        if (int answer = hook()(MessageBoxRequest {text, caption, type}))
            return answer;
    }
    const UINT buttons = type & 0xF;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        return defaultAnswer(buttons);
    }

    QMessageBox box(iconOf(type), caption, text, QMessageBox::NoButton, owner);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setObjectName(QStringLiteral("platformMessageBox"));
    switch (buttons) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return buttons == MB_YESNO ? IDNO : IDCANCEL;
    }
}

} // namespace platform

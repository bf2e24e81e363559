#include "surface/transparent_edit.h"

#include "platform/gdi.h"
#include "platform/messages.h"
#include "surface/surface_messages.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QTextDocument>

#include <algorithm>

namespace DIALOG {

CTransparentEdit::CTransparentEdit(QWidget* surface)
    : QPlainTextEdit(surface)
{
    setObjectName(QStringLiteral("textEdit"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WordWrap);
    document()->setDocumentMargin(0);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; border: none; }"));
    SetFontHeight(12);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (parentWidget())
            platform::SendMessage(platform::WindowRef(parentWidget()), ScreenPenMsg::kTextChanged, 0, 0);
    });
}

void CTransparentEdit::SetFontHeight(int pixels)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(std::max(pixels, 1));
    setFont(f);
    document()->setDefaultFont(f);
}

int CTransparentEdit::FontHeight() const
{
    return font().pixelSize();
}

void CTransparentEdit::SetTextColour(COLORREF colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, platform::colorFromRef(colour));
    p.setColor(QPalette::Base, Qt::transparent);
    setPalette(p);
}

void CTransparentEdit::BeginTyping()
{
    typing_ = true;
    setFocus(Qt::OtherFocusReason);
    grabKeyboard();
    // The surface's window never becomes active, so the box would never hear that it has the focus and
    // would show no caret; it is told so itself.
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(this, &in);
}

void CTransparentEdit::EndTyping()
{
    if (!typing_)
        return;
    typing_ = false;
    releaseKeyboard();
    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(this, &out);
}

void CTransparentEdit::focusOutEvent(QFocusEvent* event)
{
    // Focus changes of other windows do not end typing; only the surface does.
    if (typing_ && event->reason() != Qt::OtherFocusReason)
        return;
    QPlainTextEdit::focusOutEvent(event);
}

} // namespace DIALOG

#include "surface/text_gesture.h"

#include "platform/window_ops.h"
#include "surface/pen_node.h"
#include "surface/transparent_edit.h"

#include <QPainter>

namespace DIALOG {

TextGesture::TextGesture(GestureHost& host, QWidget* window)
    : Gesture(host)
    , window_(window)
    , textEdit_(new CTransparentEdit(window))
{
    textEdit_->hide();
}

bool TextGesture::BoxOpen() const
{
    return textEdit_ && !textEdit_->isHidden();
}

void TextGesture::SetStyle(COLORREF colour, int fontSize)
{
    textColour_ = colour;
    textSize_ = fontSize;
    textEdit_->SetFontHeight(fontSize);
    textEdit_->SetTextColour(colour);
}

Gesture::Press TextGesture::press(QPoint point)
{
    if (host_.object().kind != Text)
        return Press::Declined;
    tracker_.SetScale(host_.deviceScale().ratio);
    tracking_ = true;
    if (BoxOpen()) {
        const TextTracker::Hit hit = tracker_.HitTest(point);
        if (hit != TextTracker::HitNothing) {
            tracker_.BeginTrack(point, hit);
            return Press::Captured;
        }
        finish();
    }
    tracker_.BeginRubberBand(point);
    return Press::Captured;
}

void TextGesture::move(QPoint point)
{
    if (!tracking_)
        return;
    const QRect before = tracker_.FrameBounds(tracker_.TrackedRect());
    tracker_.TrackTo(point);
    host_.canvas().Compose(before | tracker_.FrameBounds(tracker_.TrackedRect()));
}

void TextGesture::release(QPoint)
{
    if (!tracking_)
        return;
    tracking_ = false;
    const bool wasOpen = !tracker_.RubberBanding() && BoxOpen();
    const QRect previous = tracker_.rect();
    const QRect before = tracker_.FrameBounds(tracker_.TrackedRect());
    const QRect box = tracker_.End();
    host_.canvas().Compose(before);
    placeTextBox(box, wasOpen, previous);
}

void TextGesture::placeTextBox(const QRect& box, bool wasOpen, const QRect& previous)
{
    Canvas& canvas = host_.canvas();
    if (IsTextBoxTooSmall(box, host_.deviceScale().ratio)) {
        // An open box keeps its text and its last good size; a new one is dropped.
        if (wasOpen)
            tracker_.SetRect(previous);
        else
            tracker_.MoveOffScreen();
        canvas.Compose(tracker_.FrameBounds(box) | tracker_.FrameBounds(previous));
        return;
    }
    // The on-screen keyboard steps aside while the box is placed when it covers one of the box's lower
    // corners.
    const platform::WindowRef keyboard = platform::FindWindow(platform::kScreenKeyboardClass, QString());
    const QRect keyboardRect
        = platform::IsWindowVisible(keyboard) ? platform::GetWindowRect(keyboard) : QRect();
    // The box is a child window: placed in logical pixels, while the page's points are device pixels.
    const QRect placed = host_.deviceScale().toLogicalGeometry(box);
    const bool keyboardInTheWay = keyboardRect.contains(window_->mapToGlobal(placed.bottomLeft()))
        || keyboardRect.contains(window_->mapToGlobal(placed.bottomRight()));
    if (keyboardInTheWay)
        platform::ShowWindow(keyboard, false);
    textEdit_->setGeometry(placed);
    canvas.Compose(tracker_.FrameBounds(box) | tracker_.FrameBounds(previous));
    if (!wasOpen) {
        textEdit_->SetFontHeight(textSize_);
        textEdit_->SetTextColour(textColour_);
        textEdit_->show();
        textEdit_->raise();
    }
    textEdit_->BeginTyping();
    if (keyboardInTheWay)
        platform::ShowWindow(keyboard, true);
}

void TextGesture::closeTextBox()
{
    const QRect frame = tracker_.FrameBounds(tracker_.rect());
    textEdit_->EndTyping();
    textEdit_->hide();
    textEdit_->clear();
    tracker_.MoveOffScreen();
    host_.canvas().Compose(frame);
}

void TextGesture::finish()
{
    if (!BoxOpen())
        return;
    const QString text = textEdit_->toPlainText();
    const QRect box = tracker_.rect();
    // The font's height is physical, the stored text's in the page's pixels.
    const int height = host_.deviceScale().length(textEdit_->FontHeight());
    closeTextBox();
    if (text.isEmpty())
        return;
    CPenNode node(textColour_, height, 0, Text);
    node.AddPoint(box.left(), box.top());
    node.AddPoint(box.left() + box.width(), box.top() + box.height());
    node.SetEditText(text);
    host_.commitObject(node, tracker_.FrameBounds(box));
}

void TextGesture::drop()
{
    if (BoxOpen())
        closeTextBox();
    tracking_ = false;
}

void TextGesture::OnTextChanged()
{
    if (!BoxOpen())
        return;
    const QRect before = tracker_.FrameBounds(tracker_.rect());
    tracker_.SetRect(host_.deviceScale().toDevice(textEdit_->geometry()));
    host_.canvas().Compose(before | tracker_.FrameBounds(tracker_.rect()));
}

std::optional<QCursor> TextGesture::cursor(QPoint point) const
{
    if (BoxOpen()) {
        const TextTracker::Hit hit = tracker_.HitTest(point);
        if (hit != TextTracker::HitNothing)
            return QCursor(TextTracker::CursorFor(hit));
    }
    if (host_.object().kind == Text)
        return ResourceCursor(662);
    return std::nullopt;
}

void TextGesture::paintOverlay(QPainter& p) const
{
    if (tracker_.Tracking()) {
        if (tracker_.RubberBanding())
            tracker_.DrawRubberBand(p, tracker_.TrackedRect());
        else
            tracker_.DrawFrame(p, tracker_.TrackedRect());
    } else if (BoxOpen()) {
        tracker_.DrawFrame(p, tracker_.rect());
    }
}

} // namespace DIALOG

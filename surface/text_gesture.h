#pragma once
// The text tool: a press opens a text box with a rubber band, or moves or resizes the open one by its frame;
// the box is an edit child of the surface. The text is committed as a Text object when the tool changes, the
// surface is shown again or a press falls outside the open box.
#include "surface/gesture.h"
#include "surface/text_tracker.h"

namespace DIALOG {

class CTransparentEdit;

class TextGesture : public Gesture {
public:
    static constexpr int kDefaultSize = 12;

    // The edit box is a hidden child of window until a box is opened.
    TextGesture(GestureHost& host, QWidget* window);

    Press press(QPoint point) override;
    void move(QPoint point) override;
    void release(QPoint point) override;
    std::optional<QCursor> cursor(QPoint point) const override;
    // The rubber band or the frame of the open box.
    void paintOverlay(QPainter& painter) const override;
    // Commits the open text box.
    void finish() override;
    // Closes the open box without committing its text.
    void drop() override;

    // SetTextTool: the colour and font size of the next box.
    void SetStyle(COLORREF colour, int fontSize);
    // The edit box's content changed: the frame follows the box.
    void OnTextChanged();
    // Back to no box and the tracker off screen, as a new surface starts.
    void Reset() { tracker_.MoveOffScreen(); }

    CTransparentEdit* textEdit() const { return textEdit_; }
    int textSize() const { return textSize_; }
    QRect boxRect() const { return tracker_.rect(); }
    bool BoxOpen() const;

private:
    void placeTextBox(const QRect& box, bool wasOpen, const QRect& previous);
    void closeTextBox();

    QWidget* window_;
    TextTracker tracker_;
    CTransparentEdit* textEdit_ = nullptr;
    COLORREF textColour_ = 0;
    int textSize_ = kDefaultSize;
    bool tracking_ = false;
};

} // namespace DIALOG

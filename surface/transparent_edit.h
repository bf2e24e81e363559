#pragma once
// The multi-line edit box of the text tool. It has no background of its own: the surface beneath shows
// through, so the text looks as it will once it is put on the page.
#include "platform/win_types.h"

#include <QPlainTextEdit>

namespace DIALOG {

class CTransparentEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CTransparentEdit(QWidget* surface);

    // "Arial" of this pixel height, as Text objects are drawn.
    void SetFontHeight(int pixels);
    int FontHeight() const;
    void SetTextColour(COLORREF colour);

    // Keys come to the box while it is open without taking the focus from the program beneath.
    void BeginTyping();
    void EndTyping();
    bool Typing() const { return typing_; }

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool typing_ = false;
};

} // namespace DIALOG

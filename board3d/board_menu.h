#pragma once
// The board's pen menu: one bar of picture buttons at the right edge of the screen, drawn in the language in
// force, and the pen-width slider. Each press is handed to the board as a command id.
#include "board3d/qmplay_export.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QWidget>

#include <functional>

class QSlider;

namespace lumo::board {

// Pen menu commands.
constexpr int kMenuNew = 1;
constexpr int kMenuExit = 2;
constexpr int kMenuPen = 3;
constexpr int kMenuDelete = 4;
constexpr int kMenuColour = 5;
constexpr int kMenuEraser = 6;
constexpr int kMenuBack = 7; // back to the wall
constexpr int kMenuLarger = 2006;
constexpr int kMenuSmaller = 2007;
constexpr int kMenuSave = 2008;
constexpr int kMenuImport = 2009;
constexpr int kMenuNext = 2001;
constexpr int kMenuPrevious = 2002;
constexpr int kMenuPenWidth = 2003; // the slider; its position is the pen's width

// A button drawn from a normal and a pressed picture; the pressed one shows while it is held down or checked.
class QMPLAY_EXPORT PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(const QString& pictureBase, const QString& caption, QWidget* parent);
    QSize sizeHint() const override;
    // Which picture shows now: true for the pressed one.
    bool ShowsPressed() const { return isDown() || isChecked(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap normal_, pressed_;
};

class QMPLAY_EXPORT CPrivateMenu : public QWidget {
    Q_OBJECT
public:
    using Command = std::function<void(int id)>;
    CPrivateMenu(QWidget* owner, Command command);

    PictureButton* Button(int id) const;
    QSlider* PenWidth() const { return penWidth_; }
    // Marks the tool in use (pen, eraser, or neither with 0).
    void SetTool(int id);
    // At the right edge of the owner's screen, from its height − 80 to its height − 30.
    void Place();

private:
    Command command_;
    QSlider* penWidth_ = nullptr;
};

} // namespace lumo::board

#pragma once
// The pen surface: a borderless window over the whole virtual screen that the teacher writes on. It is a
// host: its window, its message table, the tool operations of the panels, the board's buttons and an
// ordered chain of gestures that mouse input goes to; fingers and a stylus come through its hands. What it
// shows is kept by its canvas: the still background, the page (background plus every committed object) and
// the window image.
#include "platform/win_types.h"
#include "surface/board_buttons.h"
#include "surface/canvas.h"
#include "surface/eraser_gesture.h"
#include "surface/freehand_gesture.h"
#include "surface/gesture.h"
#include "surface/instrument_gesture.h"
#include "surface/lesson.h"
#include "surface/page_model.h"
#include "surface/pen_node.h"
#include "surface/picture_gesture.h"
#include "surface/shape_gesture.h"
#include "surface/text_gesture.h"
#include "surface/touch_writers.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

namespace platform {
class MessageTable;
}

namespace DIALOG {

class CTransparentEdit;
class CImageReviewDlg;

class CScreenPenWnd : public QWidget, private GestureHost, private PointerTarget {
    Q_OBJECT
public:
    using NavButton = DIALOG::NavButton;
    using enum DIALOG::NavButton;

    // owner receives the surface's notifications; the surface draws on lesson's open page, which outlives
    // it. pagePicture names a stored page picture to reopen; without one the background is a picture of the
    // screen (desktop mode) or a blank board page.
    CScreenPenWnd(QWidget* owner, Lesson& lesson, const QString& pagePicture = QString());
    ~CScreenPenWnd() override;

    // Tool operations of the main panel and the tool panels. Before the window exists they only change the
    // pen state; otherwise each ends by showing the surface.
    void SetPen(int width, COLORREF colour);
    void SetHighlighter(int width, COLORREF colour);
    void SetDashPen(int width, COLORREF colour);
    // The panel's width and colour for the next object drawn, whatever pen tool is chosen; an object being
    // drawn is not reset. Erasers, pictures and media are not pens and keep theirs.
    void ApplyPenAttributes(int width, COLORREF colour);
    void SetBrushPen(int width, COLORREF colour);
    void SetPolyline();
    void SetSpeedPen(int width, COLORREF colour);
    // One of the kinds spanned by two points: Line, Arrow, Rectangle, Ellipse, Cube, Cylinder, GuideLine.
    void SetShape(NodeKind kind);
    void SetTextTool(COLORREF colour, int fontSize);
    void SetPointEraser(int size);
    void SetLassoEraser();
    void ClearScreen();
    void UndoStep();
    void RedoStep();
    // The next click on the page places the picture at path ("TOOL" mode).
    void InsertPicture(const QString& path);
    // A media file: a Flash movie (".swf") or a picture. Without a path the teacher chooses one.
    void InsertMedia(const QString& path);
    // A video of path goes onto the page in its frame and plays; a file that is no video is refused with a
    // message.
    void InsertVideo(const QString& path);
    // Shows the material preview with the pictures (or the videos) of folder ("TOOL" mode).
    void OpenMaterial(const QString& folder, bool videos);
    CImageReviewDlg* materialPreview() const { return review_.get(); }
    const PictureGesture& pictures() const { return picture_; }
    // Opens the surface in instrument mode with the instrument of that number waiting to be placed: 1
    // "Compass", 2 "Protractor", 3 "Ruler", 4 "ISOTriangular", 5 "Triangular"; any other number only
    // changes the mode.
    void SelectInstrumentByNumber(int n);
    // The tool panel's choice of an instrument by kind name; the next press and drag place it.
    void SelectInstrument(const QString& name);
    // Puts away the instrument of a table index (0 compass, 1 ruler, 2 and 3 the set squares, 4 protractor).
    void RemoveInstrument(int index) { instrument_.RemoveInstrument(index); }
    const InstrumentTable& instruments() const { return instrument_.table(); }
    void ShowSurface();
    void HideSurface();
    void RedrawPage();
    // What a click on the main panel does first: an open text box and a pending polyline are committed.
    void FinishCurrentOperation();
    // Instruments take the mouse ("TOOL"), as the history, background and material buttons want.
    void SetToolMode();

    // The lesson the surface draws on.
    Lesson& lesson() override { return lesson_; }
    const Lesson& lesson() const { return lesson_; }

    // What tests and the page store look at.
    const QImage& pageBitmap() const { return canvas_.pageBitmap(); }
    const QImage& backgroundBitmap() const { return canvas_.backgroundBitmap(); }
    // What the window shows: the page with the live ink and previews over it.
    const QImage& windowImage() const { return canvas_.windowImage(); }
    const CPenNode& currentObject() const { return currentObject_; }
    const QString& modeWord() const { return modeWord_; }
    bool windowExists() const override { return windowExists_; }
    QRect toolStripRect() const { return toolStrip_.rect(); }
    QRect navButtonRect(NavButton button) const { return buttons_.rect(button); }
    int speedMinWidth() const { return freehand_.speed().speedMinWidth; }
    int speedMaxWidth() const { return freehand_.speed().speedMaxWidth; }
    int eraseMode() const override { return eraseMode_; }
    int textSize() const { return text_.textSize(); }
    CTransparentEdit* textEdit() const { return text_.textEdit(); }
    QRect textBoxRect() const { return text_.boxRect(); }
    // The last point the mouse handlers saw (device pixels, as the page's points), and whether a press is
    // being followed.
    QPoint lastMousePoint() const { return lastMousePoint_; }
    bool mouseHeld() const { return capturing_; }
    // The fingers and the stylus.
    TouchWriters& hands() { return hands_; }

    // Replaces the background (a stored page picture, a colour) and draws the page again.
    void SetBackground(const QImage& picture);

    // The page the surface was opened on is a board page (stored with the board's pages), also after the
    // exit button has left board mode.
    bool IsBoardPage() const { return boardPage_; }
    // The page's background is a picture or a colour the teacher chose, not a snapshot or a blank page.
    bool BackgroundChosen() const { return backgroundChosen_; }
    // Where the board page's number and the count show ("2 / 5"); draws them again after the board's pages
    // changed behind the surface's back.
    QRect pageNumberRect() const { return buttons_.pageNumberRect(); }
    void ShowPageNumber();
    // Opens a stored page in this window: the picture becomes the background (a missing one keeps the
    // present background, or white when the picture is still to come), the objects of the same name's object
    // file replace the page, the undo log is emptied and the page is drawn again.
    void ReopenPage(const QString& picturePath, bool pictureToCome = false);
    // The picture of the page open, which was still to come, is here: it becomes the background, and what the
    // teacher wrote meanwhile stays with its undo log.
    void PlacePagePicture(const QImage& picture);
    // A new blank board page on white.
    void StartBlankPage();
    // The page as it would be printed: the background with every visible object, without buttons or
    // previews.
    QImage ComposedPage() const;

signals:
    // Something the teacher should know about the page just opened, in the language in force (pictures
    // left out of a page that holds more than the surface shows). Sent after the opening returns.
    void pageNotice(const QString& text);

protected:
    bool event(QEvent* event) override;
    void tabletEvent(QTabletEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // GestureHost
    Canvas& canvas() override { return canvas_; }
    const QImage& eraserSource() const override { return eraserSource_; }
    CPenNode& object() override { return currentObject_; }
    void commitObject(const CPenNode& node, const QRect& extra) override;
    void commitCurrentObject(const QRect& extra) override;
    void redrawPage() override { fullRedraw(); }
    void tell(const QString& text) override { emit pageNotice(text); }
    void notifyOwner(UINT message, WPARAM wParam) override;
    QWidget* surfaceWindow() override { return this; }
    bool instrumentMode() const override;
    qint64 clock() const override { return clock_.elapsed(); }
    QRect toolStrip() const override { return toolStrip_.rect(); }
    DeviceScale deviceScale() const override { return scale_; }

    // PointerTarget: the mouse's press, moves and release, which the first finger and the stylus share.
    bool primaryIdle() const override { return !capturing_; }
    void primaryPress(QPoint point) override;
    void primaryMove(QPoint point) override;
    void primaryRelease(QPoint point) override;
    void primaryDrop() override;
    void setPressure(double pressure) override { freehand_.SetPressure(pressure); }
    int pointEraserSize() const override { return erasers_.eraserSize(); }
    const SpeedPenWidth& speedPen() const override { return freehand_.speed(); }
    InstrumentGesture& heldInstruments() override { return instrument_; }

    void initialise(const QString& pagePicture);
    void takeScreenPicture();
    // The monitor of the panel that owns the surface, in window coordinates.
    QRect panelScreenRect() const;

    // The steps every tool operation shares.
    void beginToolChange();
    void resetCurrentObject();
    void endToolChange();
    void setPenState(NodeKind kind, BOOL highlight, COLORREF colour, int width);
    void setEraserState(const PenState& state);
    void undoOrRedo(bool redo);
    // The instruments take the mouse; with compassArcs the pen draws compass arcs.
    void enterInstrumentMode(bool compassArcs);

    void fullRedraw();
    void finishGestures();
    // Drops what the open page had under way (a text box, a polyline, a gesture) when another page replaces
    // it.
    void dropPendingWork();
    void loadPageFiles(const QString& picturePath);
    // Keeps a copy of the desktop picture beside the journal for a lesson brought back after a crash, and
    // returns its path; empty without a journal.
    QString keepDesktopPicture();

    void OnNavButton(NavButton button);
    void OnExitBoard();
    void OnBackgroundColour();

    void updateCursor(QPoint point);
    // Where the mouse is now, as a point of the page.
    QPoint cursorPoint() const;
    // An event's position as a point of the page, in device pixels. Mouse events give it as their scene
    // position (the surface is a window of its own): their widget position is rounded to a logical pixel.
    QPoint pagePoint(QPointF position) const { return scale_.toDevice(position); }
    void setToolStripRect();

    QPointer<QWidget> owner_;
    std::unique_ptr<platform::MessageTable> messages_;
    QElapsedTimer clock_;
    Lesson& lesson_;
    QImage eraserSource_;
    // Set before the canvas, which is made at the screen's full resolution.
    DeviceScale scale_;
    Canvas canvas_;

    CPenNode currentObject_;
    int eraseMode_ = kEraseModeNone;
    QString modeWord_;
    // The mode words: an instrument or a picture takes the pointer, or the pens do.
    static inline const QString kTool = QStringLiteral("TOOL");
    static inline const QString kNotTool = QStringLiteral("NOTTOOL");
    RemovalSquare toolStrip_;

    PictureGesture picture_;
    InstrumentGesture instrument_;
    BoardButtons buttons_;
    TextGesture text_;
    ShapeGesture shapes_;
    EraserGesture erasers_;
    FreehandGesture freehand_;
    // The order a press is offered in: the board's buttons, which answer whatever tool is in use (an
    // instrument or a picture would otherwise take every press of the page), then a picture being placed, the
    // pictures and media frames and a pending insertion, the instruments and the pen tools.
    std::array<Gesture*, 7> chain_;
    // The gesture following the press under way.
    Gesture* active_ = nullptr;
    TouchWriters hands_;

    std::unique_ptr<CImageReviewDlg> review_;

    bool windowExists_ = false;
    bool boardPage_ = false;
    bool backgroundChosen_ = false;
    // A left press is being followed until its release (the mouse capture).
    bool capturing_ = false;
    // The page-changed flag as it was before the press under way set it.
    bool changedBeforePress_ = false;
    QPoint lastMousePoint_;
};

} // namespace DIALOG

#pragma once
// The pen surface: a borderless window over the whole virtual screen that the teacher writes on. It turns
// mouse input into drawing objects of the page list, shows them while they are drawn and repaints from its
// two bitmaps: the still background and the page (background plus every committed object).
#include "instruments/column_shape.h"
#include "instruments/cube_shape.h"
#include "platform/win_types.h"
#include "surface/pen_node.h"
#include "surface/text_tracker.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <map>
#include <memory>

namespace platform {
class MessageTable;
}

namespace DIALOG {

class CTransparentEdit;
class MyShape;

// One of the five instrument places of the surface (compass, ruler, two set squares, protractor).
struct InstrumentEntry {
    MyShape* shape = nullptr;
    QString tag;
    BOOL active = 0;
};

class CScreenPenWnd : public QWidget {
    Q_OBJECT
public:
    enum NavButton { NavExit, NavPrevious, NavNext, NavColour, kNavButtonCount };

    // owner receives the surface's notifications. pagePicture names a stored page picture to reopen;
    // without one the background is a picture of the screen (desktop mode) or a blank board page.
    explicit CScreenPenWnd(QWidget* owner, const QString& pagePicture = QString());
    ~CScreenPenWnd() override;

    // Tool operations of the main panel and the tool panels. Before the window exists they only change the
    // pen state; otherwise each ends by showing the surface.
    void SetPen(int width, COLORREF colour);
    void SetHighlighter(int width, COLORREF colour);
    void SetDashPen(int width, COLORREF colour);
    // The panel's width and colour for the next object drawn, whatever pen tool is chosen; an object being
    // drawn is not reset. Erasers, pictures and media are not pens and keep theirs.
    void ApplyPenAttributes(int width, COLORREF colour);
    static bool PenAttributesApply(NodeKind kind);
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
    void InsertPicture(const QString& path);
    void InsertMedia(const QString& path);
    void SelectInstrumentByNumber(int n);
    void ShowSurface();
    void HideSurface();
    void RedrawPage();
    // What a click on the main panel does first: an open text box and a pending polyline are committed.
    void FinishCurrentOperation();
    // Instruments take the mouse ("TOOL"), as the history, background and material buttons want.
    void SetToolMode();

    // What tests and the page store look at.
    const QImage& pageBitmap() const { return pageBitmap_; }
    const QImage& backgroundBitmap() const { return backgroundBitmap_; }
    // What the window shows: the page with the live ink and previews over it.
    const QImage& windowImage() const { return windowImage_; }
    const CPenNode& currentObject() const { return currentObject_; }
    const QString& modeWord() const { return modeWord_; }
    bool windowExists() const { return windowExists_; }
    QRect toolStripRect() const { return toolStripRect_; }
    QRect navButtonRect(NavButton button) const { return navButtons_[button].rect; }
    int speedMinWidth() const { return speedMinWidth_; }
    int speedMaxWidth() const { return speedMaxWidth_; }
    int eraseMode() const { return eraseMode_; }
    int textSize() const { return textSize_; }
    CTransparentEdit* textEdit() const { return textEdit_; }
    QRect textBoxRect() const { return textTracker_.rect(); }
    // The last point the mouse handlers saw, and whether a press is being followed.
    QPoint lastMousePoint() const { return lastMousePoint_; }
    bool mouseHeld() const { return capturing_; }

    // Replaces the background (a stored page picture, a colour) and draws the page again.
    void SetBackground(const QImage& picture);

    // The page the surface was opened on is a board page (stored with the board's pages), also after the
    // exit button has left board mode.
    bool IsBoardPage() const { return boardPage_; }
    // Opens a stored page in this window: the picture becomes the background (a missing one keeps the
    // present background), the objects of the same name's object file replace the page, the undo log is
    // emptied and the page is drawn again.
    void ReopenPage(const QString& picturePath);
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
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct PictureButton {
        QImage picture;
        QRect rect;
    };
    // A rubber-band outline drawn with R2_NOT: drawing it again removes it.
    struct Band {
        bool shown = false;
        NodeKind kind = Line;
        QPoint from;
        QPoint to;
        int width = 1;
    };

    void initialise(const QString& pagePicture);
    void takeScreenPicture();
    void placeNavButtons();
    void loadCursors();
    void createWindow();

    // The steps every tool operation shares.
    void finishPendingPolyline();
    void beginToolChange();
    void resetCurrentObject();
    void endToolChange();

    // Commits an object to the page list, draws it on the page bitmap and repaints where it lies.
    void commitObject(const CPenNode& node, const QRect& extra);
    void commitCurrentObject(const QRect& extra);
    void fullRedraw();

    // Rebuilds the window image over area from the page bitmap and the overlays, and repaints it.
    void compose(const QRect& area);
    void drawLivePreview(QPainter& painter) const;
    void paintInstruments(QPainter& painter) const;
    void drawBand(QPainter& painter, const Band& band) const;
    void drawToolStrip(QPainter& painter) const;
    void drawNavButtons(QPainter& painter) const;
    QRect bandBounds(const Band& band) const;
    void moveBand(QPoint to);
    void removeBand();

    // Live ink: draws straight into the window image and repaints only what changed.
    void liveSegment(QPoint from, QPoint to, int width, int rop2);
    void liveBrush(QPoint from, QPoint to);
    void liveDash(QPoint to);
    void liveSpeed(QPoint to);
    void liveEraser(QPoint to);

    // Board navigation.
    bool navButtonPressed(QPoint point, bool changedBefore);
    void OnExitBoard();
    void OnBackgroundColour();

    // The text tool.
    void textPress(QPoint point);
    void textMove(QPoint point);
    void textRelease();
    void placeTextBox(const QRect& box, bool wasOpen, const QRect& previous);
    bool textBoxOpen() const;
    void commitTextBox();
    void closeTextBox();
    void OnTextChanged();

    // Instrument mode takes the mouse instead of the pen.
    bool instrumentMode() const;
    void instrumentPress(QPoint point);
    void instrumentMove(QPoint point);
    void instrumentRelease(QPoint point);

    void eraserRelease(QPoint point);
    void lassoRelease(QPoint point);
    // Drops what the open page had under way (a text box, a polyline, a gesture) when another page replaces
    // it.
    void dropPendingWork();
    void loadPageFiles(const QString& picturePath);

    void updateCursor(QPoint point);
    QCursor cursorFor(int resource) const;
    void setToolStripRect();

    QPointer<QWidget> owner_;
    std::unique_ptr<platform::MessageTable> messages_;

    CPenNode currentObject_;
    QPoint lastPoint_;
    QPoint dragStart_;
    QPoint dragEnd_;
    double dashDistance_ = 0.0;
    BOOL dashGap_ = 0;
    int eraseMode_ = 0;
    int eraserSize_ = 16;
    QRect eraserRect_;
    std::map<int, QCursor> cursors_;
    std::array<PictureButton, kNavButtonCount> navButtons_;
    QImage homePicture_;
    TextTracker textTracker_;
    CTransparentEdit* textEdit_ = nullptr;
    COLORREF textColour_ = 0;
    int textSize_ = 12;
    bool pictureSelected_ = false;
    QRect toolStripRect_ {0, 0, 1, 1};
    QString modeWord_;

    double speedPrev_ = 0.0;
    double speedDistance_ = 0.0;
    qint64 speedClock_ = 0;
    QPoint speedLastPoint_;
    int speedWidth_ = 7;
    int speedMinWidth_ = 3;
    int speedMaxWidth_ = 8;

    QImage backgroundBitmap_;
    QImage pageBitmap_;
    QImage windowImage_;

    std::array<InstrumentEntry, 5> instruments_;
    CubeShape cube_;
    ColumnShape column_;

    bool windowExists_ = false;
    bool boardPage_ = false;
    // A left press is being followed until its release (the mouse capture).
    bool capturing_ = false;
    // The press started a drawing object (not a button, a text box or an instrument).
    bool drawing_ = false;
    bool textGesture_ = false;
    Band band_;
    QImage brushDot_;
    QPoint lastStamp_;
    bool stamped_ = false;
    QPoint lastMousePoint_;
    QElapsedTimer clock_;
};

} // namespace DIALOG

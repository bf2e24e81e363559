// The surface's tools: pens, highlighters, shapes and text, the erasers, clearing, and undo and redo, each
// change of tool finishing what the one before was doing.
#include "surface/screen_pen_wnd.h"

#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/surface_messages.h"
#include "surface/surface_state.h"

#include <mutex>

namespace DIALOG {

using namespace ScreenPenMsg;

void CScreenPenWnd::finishGestures()
{
    for (Gesture* gesture : chain_)
        gesture->finish();
}

void CScreenPenWnd::beginToolChange()
{
    finishGestures();
    modeWord_ = kNotTool;
    eraseMode_ = kEraseModeNone;
    canvas_.Compose(toolStrip_.rect());
}

void CScreenPenWnd::resetCurrentObject()
{
    const PenState& s = lesson_.Pen();
    canvas_.RemoveBand();
    for (Gesture* gesture : chain_)
        gesture->cancel();
    currentObject_ = CPenNode(s.colour, s.width, s.highlight, s.kind);
    eraserSource_ = canvas_.backgroundBitmap();
}

void CScreenPenWnd::endToolChange()
{
    ShowSurface();
    updateCursor(cursorPoint());
}

void CScreenPenWnd::setPenState(NodeKind kind, BOOL highlight, COLORREF colour, int width)
{
    beginToolChange();
    lesson_.Pen() = PenState {kind, highlight, colour, width};
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::SetPen(int width, COLORREF colour)
{
    setPenState(Pen, 0, colour, scale_.length(width));
}

void CScreenPenWnd::SetHighlighter(int width, COLORREF colour)
{
    setPenState(Pen, 1, colour, scale_.length(width));
}

void CScreenPenWnd::SetDashPen(int width, COLORREF colour)
{
    setPenState(DashPen, 0, colour, scale_.length(width));
}

void CScreenPenWnd::SetBrushPen(int width, COLORREF colour)
{
    setPenState(BrushPen, 0, colour, scale_.length(width));
}

void CScreenPenWnd::SetSpeedPen(int width, COLORREF colour)
{
    beginToolChange();
    lesson_.Pen() = PenState {SpeedPen, 0, colour, freehand_.SetSpeedWidth(width, scale_)};
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::SetPolyline()
{
    setPenState(Polyline, 0, lesson_.Pen().colour, lesson_.Pen().width);
}

void CScreenPenWnd::SetShape(NodeKind kind)
{
    if (IsShapeKind(kind))
        setPenState(kind, 0, lesson_.Pen().colour, lesson_.Pen().width);
}

void CScreenPenWnd::SetTextTool(COLORREF colour, int fontSize)
{
    beginToolChange();
    PenState& s = lesson_.Pen();
    s.kind = Text;
    s.highlight = 0;
    text_.SetStyle(colour, fontSize);
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::ApplyPenAttributes(int width, COLORREF colour)
{
    PenState& s = lesson_.Pen();
    // An object being drawn keeps its look; one not begun yet takes the new width and colour.
    if (s.ApplyAttributes(scale_.length(width), colour) && currentObject_.points.empty()) {
        currentObject_.width = s.width;
        currentObject_.colour = s.colour;
    }
}

void CScreenPenWnd::SetPointEraser(int size)
{
    setEraserState(PenState {EraseTrail, 0, EraserGesture::kPointEraserColour, scale_.length(size)});
}

void CScreenPenWnd::SetLassoEraser()
{
    setEraserState(
        PenState {EraseLasso, 0, EraserGesture::kLassoColour, scale_.length(EraserGesture::kLassoWidth)});
}

void CScreenPenWnd::setEraserState(const PenState& state)
{
    beginToolChange();
    // The erasers act only on a surface that is shown.
    if (!windowExists_)
        return;
    if (state.kind == EraseTrail) {
        erasers_.SetEraserSize(state.width);
        eraseMode_ = kEraseModePoint;
    }
    lesson_.Pen() = state;
    resetCurrentObject();
    updateCursor(cursorPoint());
}

void CScreenPenWnd::ClearScreen()
{
    if (!windowExists_)
        return;
    finishGestures();
    PageList& list = lesson_.Pages();
    if (list.ClearRemovesForGood() && !AskToClearForGood(this))
        return;
    list.ClearScreenStep();
    fullRedraw();
}

void CScreenPenWnd::UndoStep()
{
    undoOrRedo(false);
}

void CScreenPenWnd::RedoStep()
{
    undoOrRedo(true);
}

void CScreenPenWnd::undoOrRedo(bool redo)
{
    // Undo and redo change the page, not the tool: the point eraser the panel still shows goes on erasing.
    const int eraseMode = eraseMode_;
    beginToolChange();
    eraseMode_ = eraseMode;
    if (redo)
        lesson_.Pages().RedoStep();
    else
        lesson_.Pages().UndoStep();
    resetCurrentObject();
    fullRedraw();
    endToolChange();
}

void CScreenPenWnd::FinishCurrentOperation()
{
    finishGestures();
}

void CScreenPenWnd::SetToolMode()
{
    modeWord_ = kTool;
    if (windowExists_)
        canvas_.Compose(canvas_.rect());
}

} // namespace DIALOG

#pragma once
// The tool panel: a column of picture buttons beside the main panel. Its page follows the main panel's
// button: writing (11) gives the pens and instruments, drawing (3) the shapes, tools (7) the presentation
// tools. The button of the tool in use keeps its selected picture until another tool is chosen.
#include "platform/win_types.h"

#include <QHash>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

namespace UICONTROL {
class CButtonEx;
}

namespace DIALOG {

class CScreenPenWnd;
class CEraseRadiusDlg;
class CLineStyleDlg;

// Process-wide flags of the presentation tools, owned here and passed by address to the library, which
// writes 0 into them when the user closes its window.
extern int spotlightOpen;
extern int maskOpen;
extern int alarmOpen;
extern int zoomOpen;
extern int magnifierOpen;

// What the tool panel needs of the main panel.
struct ToolPanelHost {
    std::function<CScreenPenWnd*()> surface; // the surface, or null
    std::function<CScreenPenWnd*()> ensureSurface; // the surface, created and shown when there is none
    std::function<void(int width, COLORREF colour, int type)> setPanelPen; // the panel's own pen values
    std::function<void(const QString&)> tip; // one line in the tip window
    std::function<void()> showCalculator; // tells by itself when no calculator starts
    std::function<void()> showScreenKeyboard; // tells by itself when no keyboard starts
    std::function<void()> capture; // the screen capture, with the program's own windows out of the picture
    std::function<void()> showUserPanel;
    std::function<void()> focusPanel;
};

class CToolDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPageDrawing = 3;
    static constexpr int kPageTools = 7;
    static constexpr int kPageWriting = 11;
    // The fifteen page buttons, top to bottom, and the close strip.
    static constexpr int kButtonIds[15]
        = {1054, 1055, 1056, 1057, 1047, 1048, 1049, 1076, 1077, 1078, 1079, 1080, 1081, 1082, 1083};
    static constexpr int kCloseStripId = 1063;
    // The tools page's buttons.
    static constexpr int kToolSpotlight = 1054;
    static constexpr int kToolMask = 1055;
    static constexpr int kToolCalculator = 1056;
    static constexpr int kToolTimer = 1057;
    static constexpr int kToolZoom = 1047; // the whole screen enlarged
    static constexpr int kToolLaunch = 1048;
    static constexpr int kToolCapture = 1049;
    static constexpr int kToolPrint = 1076; // prints the last capture
    static constexpr int kToolMagnifier = 1077; // a part of the frozen screen enlarged
    static constexpr int kToolKeyboard = 1078;

    // panel is the main panel the tool panel stands beside.
    CToolDlg(QWidget* panel, CLineStyleDlg* lineStyle, ToolPanelHost host);
    ~CToolDlg() override;

    // Shows page 3, 7 or 11; the page shown now is hidden instead (a second click on the same button).
    void SetPage(int page);
    int Page() const { return page_; }
    // The surface's state (its message 0x496): a polyline under way or finished keeps the polyline button
    // selected.
    void ReceiveState(int state);
    int State() const { return state_; }
    // Marks the tool in use: page and button id; 0 for a tool of no page (an eraser of the main panel's
    // menu).
    void SetActiveTool(int page, int id);
    int ActivePage() const { return activePage_; }
    int ActiveTool() const { return activeTool_; }

    // What a button of the current page does.
    void OnButton(int id);
    // What a button of the tools page does, whatever page is shown (the main menu reaches them too).
    void RunTool(int id);
    // The buttons the current page shows.
    int ShownButtonCount() const { return shown_; }
    UICONTROL::CButtonEx* Button(int id) const { return buttons_.value(id); }
    CEraseRadiusDlg* EraseRadiusDlg() const { return eraseRadius_; }
    // Places the tool panel beside the main panel for the current page, with the eraser popup beside it.
    void PlaceBesidePanel();
    // Shows the eraser-size popup beside the tool panel.
    void ShowEraseRadius();
    // The line-style popup, beside the tool panel on the side away from the main panel.
    void ShowLineStyle();

    // Buttons a page shows.
    static int ButtonCount(int page);
    // The tool panel's left edge: left of the panel when the tool panel and the eraser popup both fit
    // between the screen's left edge and the panel, otherwise right of it.
    static int PlacementX(const QRect& panel, const QRect& screen, int toolWidth, int eraserWidth);
    // The height of the button column for n buttons of this height (the close strip goes at its foot).
    static int ColumnHeight(int n, int buttonHeight) { return n * (buttonHeight + 2) + 7; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showPageButtons(int page);
    void showSelection();
    void onWriting(int id);
    void onDrawing(int id);
    void onTools(int id);
    void selectInstrument(const QString& kind);
    void notAvailable(const char* what);
    void toggleMagnifier();
    void printLastCapture();
    // Hides the tool panel while f takes its picture of the screen, then shows it again if it was shown.
    void outOfThePicture(const std::function<void()>& f);
    bool onLeftOfPanel() const;

    QWidget* panel_;
    CLineStyleDlg* lineStyle_;
    ToolPanelHost host_;
    CEraseRadiusDlg* eraseRadius_ = nullptr;
    QHash<int, UICONTROL::CButtonEx*> buttons_;
    UICONTROL::CButtonEx* closeStrip_ = nullptr;
    int page_ = 0;
    int shown_ = 0;
    int state_ = 0;
    int activePage_ = 0;
    int activeTool_ = 0;
};

} // namespace DIALOG

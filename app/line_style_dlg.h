#pragma once
// The line-style popup: six pen styles (pen, dashed pen, highlighter, speed pen, text, brush pen), each with
// its own width and colour, a preview of the chosen one, and the export and close buttons. Choosing or
// changing a style applies it to the drawing surface at once.
#include "app/line_styles.h"
#include "platform/win_types.h"

#include <QHash>
#include <QWidget>

#include <functional>

namespace UICONTROL {
class CButtonEx;
class CColourButton;
} // namespace UICONTROL

namespace DIALOG {

class CScreenPenWnd;

class CLineStyleDlg : public QWidget {
    Q_OBJECT
public:
    // Button ids: the six styles, then plus, minus, export and close; 1054 is the colour button.
    static constexpr int kStyleIds[kLineStyleCount] = {1000, 1001, 1002, 1003, 1004, 1005};
    static constexpr int kPlusId = 1006;
    static constexpr int kMinusId = 1007;
    static constexpr int kExportId = 1008;
    static constexpr int kCloseId = 1009;
    static constexpr int kColourId = 1054;
    // Beside the picture export: the whole lesson as one PDF.
    static constexpr int kExportPdfId = 1010;

    explicit CLineStyleDlg(QWidget* owner);

    // Where the surface comes from: null while there is none.
    void SetSurfaceSource(std::function<CScreenPenWnd*()> surface) { surface_ = std::move(surface); }
    // What the colour button's "Customize" entry opens; by default the colour dialog of this program.
    void SetCustomColourChooser(std::function<bool(COLORREF, COLORREF*)> chooser);

    // The width and colour of the current style, which the instruments draw with.
    int Width() const { return styles_.Width(); }
    COLORREF Colour() const { return styles_.Colour(); }
    const LineStyles& Styles() const { return styles_; }

    // What the buttons do.
    void OnStyle(int style);
    void OnPlus();
    void OnMinus();
    void OnColour(COLORREF colour);
    void OnExport();
    // Shows the current style again, with the captions of the language in force.
    void Refresh();
    // Gives the current style to the surface, when there is one.
    void ApplyStyle();

    UICONTROL::CButtonEx* Button(int id) const { return buttons_.value(id); }
    UICONTROL::CColourButton* ColourButton() const { return colourButton_; }
    // The part of the popup that shows the current style.
    QRect PreviewRect() const;

signals:
    // A style was given to the surface.
    void styleApplied(DIALOG::LineStyle style);
    // The PDF export button: the panel exports the lesson.
    void exportPdfRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showSelection();
    void paintPreview(QPainter& p) const;

    LineStyles styles_;
    std::function<CScreenPenWnd*()> surface_;
    QHash<int, UICONTROL::CButtonEx*> buttons_;
    UICONTROL::CColourButton* colourButton_ = nullptr;
};

} // namespace DIALOG

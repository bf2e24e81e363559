#include "assist/cap_bitmap_dlg.h"

#include "assist/presentation_aids_model.h"
#include "platform/window_stack.h"

#include "platform/message_box.h"
#include "support/language.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

namespace DIALOG {

namespace {

constexpr int kCloseButtonId = 2;
constexpr int kCloseButtonSize = 32;
constexpr int kOutlineWidth = 6;
// The handles are drawn smaller than the area that grabs them, so that they do not hide the picture.
constexpr int kHandleDrawn = 12;
constexpr int kBarPictures[4] = {3103, 3101, 3104, 3102};

// The text in the language in force: these texts have only a Chinese and an English form.
QString inLanguage(const char* chinese, const char* english)
{
    return IsEnglish() ? QString::fromUtf8(english) : QString::fromUtf8(chinese);
}

} // namespace

CCapBitmapDlg::CCapBitmapDlg(UICONTROL::CBitmapEx* lastCapture, const QImage& snapshot, const QRect& screen)
    : QDialog(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , lastCapture_(lastCapture)
    , captureCursor_(QPixmap(QStringLiteral(":/qmhelp/3100.png")), 15, 15)
{
    setWindowTitle(QStringLiteral("CapBitmapDlg"));
    platform::SetStackLayer(this, platform::StackLayer::Aid);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    for (std::size_t i = 0; i < bar_.size(); ++i)
        bar_[i].LoadResource(kBarPictures[i]);

    // The snapshot always fills the window, whatever the grab returned.
    snapshot_ = snapshot.convertToFormat(QImage::Format_RGB32);
    if (snapshot_.size() != screen.size()) {
        QImage fitted(screen.size(), QImage::Format_RGB32);
        fitted.fill(Qt::black);
        QPainter(&fitted).drawImage(0, 0, snapshot_);
        snapshot_ = fitted;
    }
    dimmed_ = aids::darkened(snapshot_, capture::kCaptureDarkening);
    setGeometry(screen);

    close_ = new QPushButton(this);
    close_->setObjectName(QStringLiteral("%1").arg(kCloseButtonId));
    close_->setIcon(QIcon(QStringLiteral(":/qmhelp/3052.png")));
    close_->setIconSize(QSize(kCloseButtonSize, kCloseButtonSize));
    close_->setFlat(true);
    close_->setToolTip(inLanguage("点击取消", "Click to cancel"));
    close_->setGeometry(screen.width() - kCloseButtonSize, screen.height() - kCloseButtonSize,
        kCloseButtonSize, kCloseButtonSize);
    close_->setCursor(captureCursor_);
    close_->hide();
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    setCursor(captureCursor_);
}

void CCapBitmapDlg::setSelection(const QRect& rect)
{
    const QRect before = paintedArea();
    tracker_.rect = rect.normalized();
    selected_ = true;
    centre_ = tracker_.rect.center();
    update(before | paintedArea());
}

void CCapBitmapDlg::clearSelection()
{
    const QRect before = paintedArea();
    tracker_.rect = QRect();
    selected_ = false;
    update(before);
}

std::array<QRect, 4> CCapBitmapDlg::barRects() const
{
    std::array<QSize, 4> sizes;
    for (std::size_t i = 0; i < bar_.size(); ++i)
        sizes[i] = QSize(bar_[i].Width(), bar_[i].Height());
    return capture::captureButtonBar(selection(), sizes, size());
}

QRect CCapBitmapDlg::barPictureRect(BarPicture picture) const
{
    if (!selected_ || bar_[picture].IsNull())
        return {};
    return barRects()[picture];
}

QRect CCapBitmapDlg::paintedArea() const
{
    if (!selected_)
        return {};
    const int reach = capture::CMyTracker::kHandleSize + kOutlineWidth;
    QRect area = selection().adjusted(-reach, -reach, reach, reach);
    for (const QRect& r : barRects())
        area |= r;
    return area;
}

QImage CCapBitmapDlg::selectedPicture() const
{
    const QRect r = selection() & snapshot_.rect();
    return r.isEmpty() ? QImage() : snapshot_.copy(r);
}

void CCapBitmapDlg::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area, dimmed_, area);
    if (!selected_)
        return;
    const QRect r = selection();
    if (!r.isEmpty())
        painter.drawImage(r.topLeft(), snapshot_, r);

    // The outline lies just outside the selection, so that it never covers what will be saved.
    painter.setPen(QPen(QColor::fromRgb(capture::CMyTracker::kLineColour), kOutlineWidth, Qt::SolidLine,
        Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    const int half = kOutlineWidth / 2;
    painter.drawRect(QRectF(r).adjusted(-half, -half, half, half));
    for (int i = capture::kHitTopLeft; i <= capture::kHitLeft; ++i) {
        const auto handle = capture::TrackerHit(i);
        if (!tracker_.hasHandle(handle))
            continue;
        // Each handle sits on the outline, on the side of its grab square, never over the selection.
        const QRect grab = tracker_.handleRect(handle);
        const int x = grab.left() < r.left()      ? r.left() - kHandleDrawn
            : grab.left() >= r.left() + r.width() ? r.left() + r.width()
                                                  : grab.center().x() - kHandleDrawn / 2;
        const int y = grab.top() < r.top()       ? r.top() - kHandleDrawn
            : grab.top() >= r.top() + r.height() ? r.top() + r.height()
                                                 : grab.center().y() - kHandleDrawn / 2;
        painter.fillRect(QRect(x, y, kHandleDrawn, kHandleDrawn), Qt::white);
        painter.fillRect(QRect(x + 2, y + 2, kHandleDrawn - 4, kHandleDrawn - 4),
            QColor::fromRgb(capture::CMyTracker::kLineColour));
    }
    const auto rects = barRects();
    for (std::size_t i = 0; i < bar_.size(); ++i)
        bar_[i].Draw(painter, rects[i].topLeft());
}

void CCapBitmapDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    if (barPictureRect(kReselect).contains(p)) {
        clearSelection();
        return;
    }
    if (barPictureRect(kCancel).contains(p)) {
        reject();
        return;
    }
    if (barPictureRect(kCopyAndClose).contains(p)) {
        copyAndClose();
        return;
    }
    if (barPictureRect(kSave).contains(p)) {
        OnOK();
        return;
    }
    const capture::TrackerHit hit = selected_ ? tracker_.hitTest(p) : capture::kHitNothing;
    pressPoint_ = p;
    pressRect_ = selection();
    if (hit == capture::kHitNothing) {
        if (selected_ && !capture::isSmallBand(selection()))
            return;
        drag_ = Drag::Band;
        setSelection(QRect(p, QSize(0, 0)));
    } else {
        drag_ = Drag::Track;
        dragHit_ = hit;
    }
}

void CCapBitmapDlg::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (drag_ == Drag::Band)
        setSelection(capture::rubberBand(pressPoint_, p) & rect());
    else if (drag_ == Drag::Track)
        setSelection(capture::CMyTracker::tracked(pressRect_, dragHit_, p - pressPoint_, rect()));
    else
        updateCursor(p);
}

void CCapBitmapDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || drag_ == Drag::None)
        return;
    drag_ = Drag::None;
    // A press without a drag leaves no selection to save.
    if (selection().width() == 0 && selection().height() == 0)
        clearSelection();
    updateCursor(event->position().toPoint());
}

void CCapBitmapDlg::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    if (selected_ && capture::doubleClickSaves(selection(), p)) {
        OnOK();
        return;
    }
    bool onPicture = false;
    for (int i = kCopyAndClose; i <= kReselect; ++i)
        onPicture = onPicture || barPictureRect(BarPicture(i)).contains(p);
    if (selected_ && !selection().contains(p) && !onPicture)
        clearSelection();
}

void CCapBitmapDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selected_ && !selection().isEmpty())
            OnOK();
        else
            platform::MessageBox(this,
                inLanguage("只有选定2个点之后才能保存图像", "Select an area before saving the picture"),
                inLanguage("信息提示", "Information"), platform::MB_OK | platform::MB_ICONWARNING);
        break;
    case Qt::Key_Escape:
        reject();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CCapBitmapDlg::updateCursor(const QPoint& point)
{
    switch (selected_ ? tracker_.hitTest(point) : capture::kHitNothing) {
    case capture::kHitTopLeft:
    case capture::kHitBottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case capture::kHitTopRight:
    case capture::kHitBottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case capture::kHitTop:
    case capture::kHitBottom:
        setCursor(Qt::SizeVerCursor);
        break;
    case capture::kHitLeft:
    case capture::kHitRight:
        setCursor(Qt::SizeHorCursor);
        break;
    case capture::kHitMiddle:
        setCursor(Qt::PointingHandCursor);
        break;
    default:
        setCursor(captureCursor_);
    }
}

void CCapBitmapDlg::copyAndClose()
{
    // The window shows the snapshot undimmed inside the selection: the clipboard gets those pixels.
    const QImage picture = selectedPicture();
    if (!picture.isNull())
        QGuiApplication::clipboard()->setImage(picture);
    accept();
}

void CCapBitmapDlg::OnOK()
{
    const QImage picture = selectedPicture();
    if (picture.isNull())
        return;
    if (lastCapture_)
        lastCapture_->Attach(picture);

    const QString saved = QDir::currentPath();
    QFileDialog dialog(this, inLanguage("请输入要保存的文件名", "Save the picture as"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Saving over a file is what the teacher asked for: no question first.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilter(capture::captureSaveFilter());
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    const QDir folder(QStringLiteral("Save"));
    if (folder.exists())
        dialog.setDirectory(folder.absolutePath());
    dialog.selectFile(inLanguage("截图未命名", "Untitled capture"));
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString path = dialog.selectedFiles().constFirst();
        QDir::setCurrent(saved);
        if (capture::saveCapture(picture, path)) {
            accept();
            return;
        }
        // Nothing was written: the teacher is told and chooses again, the selection still on the screen.
        platform::MessageBox(this,
            inLanguage("无法保存图像，请选择其他位置或文件名",
                "The picture could not be saved. Please choose another place or name."),
            inLanguage("信息提示", "Information"), platform::MB_OK | platform::MB_ICONWARNING);
    }
    QDir::setCurrent(saved);
}

} // namespace DIALOG

#include "surface/image_review_dlg.h"

#include "platform/image_file.h"
#include "platform/window_flags.h"
#include "player/video_thumbnail.h"
#include "support/language.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <unistd.h>

namespace DIALOG {

namespace {

constexpr int kScrollBarWidth = 17;
constexpr int kWidth = ImageReviewModel::kColumns * ImageReviewModel::kCell + kScrollBarWidth;
// The window ends this far above the screen's bottom, its scroll bar 30 pixels higher still.
constexpr int kBottomGap = 48;
constexpr int kScrollBarGap = 78;
// The frame of the selected thumbnail: 0xFFFF00 as a colour reference.
const QColor kSelectedFrame(0, 255, 255);
const QColor kCaption(0x1B, 0x4C, 0x8C);
const QSize kThumbnail(ImageReviewModel::kCell, ImageReviewModel::kCell);

QString caption()
{
    return IsEnglish() ? QStringLiteral("Material preview") : QStringLiteral("素材预览");
}

// Decoding at thumbnail quality: JPEG then takes its fast integer transform without smooth upsampling.
constexpr int kThumbnailQuality = 25;

} // namespace

QImage ReadThumbnail(const QString& path, QSize size)
{
    // A FIFO or a device named like a picture must not hold a worker for ever.
    const int fd = platform::openRegularFileDescriptor(path);
    if (fd < 0)
        return QImage();
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QImage();
    }
    QImageReader reader(&file);
    if (!reader.canRead()) {
        file.seek(0);
        reader.setDevice(nullptr);
        reader.setFormat(QFileInfo(path).suffix().toLower().toLatin1());
        reader.setDevice(&file);
    }
    const QSize natural = reader.size();
    if (natural.isValid() && (natural.width() > size.width() || natural.height() > size.height()))
        reader.setScaledSize(natural.scaled(size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    reader.setQuality(kThumbnailQuality);
    QImage thumbnail = reader.read();
    if (!thumbnail.isNull() && (thumbnail.width() > size.width() || thumbnail.height() > size.height()))
        thumbnail = thumbnail.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return thumbnail;
}

CImageReviewDlg::CImageReviewDlg(QWidget* owner)
    : QWidget(owner, platform::kFloatingToolFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(caption());
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Two workers: the machine is shared with the page, and one picture at a time keeps up with a scroll.
    pool_.setMaxThreadCount(2);
    scroll_ = new QScrollBar(Qt::Vertical, this);
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int row) {
        model_.ScrollTo(row);
        requestShown();
        update();
    });
}

CImageReviewDlg::~CImageReviewDlg()
{
    pool_.clear();
    pool_.waitForDone();
}

void CImageReviewDlg::OpenFolder(const QString& folder, bool videos, const QRect& screen)
{
    pool_.clear();
    ++generation_;
    pending_.clear();
    if (videos)
        model_.FillVideos(folder);
    else
        model_.FillPictures(folder);
    setWindowTitle(caption());
    setGeometry(screen.x(), screen.y(), kWidth, std::max(kCaptionHeight + 64, screen.height() - kBottomGap));
    scroll_->setGeometry(kWidth - kScrollBarWidth, kCaptionHeight, kScrollBarWidth,
        std::max(64, screen.height() - kScrollBarGap));
    const QSignalBlocker quiet(scroll_);
    scroll_->setRange(0, model_.maxFirstRow());
    scroll_->setPageStep(ImageReviewModel::kRowsShown);
    scroll_->setValue(0);
    requestShown();
    show();
    raise();
    update();
}

bool CImageReviewDlg::thumbnailReady(int item) const
{
    return item >= 0 && item < model_.count() && thumbnails_.contains(model_.files()[item]);
}

void CImageReviewDlg::requestShown()
{
    const bool videos = model_.videoMode();
    const int generation = generation_;
    // The shown items first, then one more screen below them for the next scroll.
    const int last = std::min(model_.count() - 1, model_.lastShown() + ImageReviewModel::kItemsShown);
    for (int item = model_.firstShown(); item <= last; ++item) {
        const QString file = model_.files()[item];
        if (thumbnails_.contains(file) || pending_.contains(file))
            continue;
        pending_.insert(file);
        pool_.start([this, file, videos, generation] {
            const QImage thumbnail
                = videos ? player::VideoThumbnail(file, kThumbnail) : ReadThumbnail(file, kThumbnail);
            QMetaObject::invokeMethod(
                this, [this, file, thumbnail, generation] { thumbnailMade(file, thumbnail, generation); },
                Qt::QueuedConnection);
        });
    }
}

void CImageReviewDlg::thumbnailMade(const QString& file, const QImage& thumbnail, int generation)
{
    pending_.remove(file);
    thumbnails_.insert(file, thumbnail);
    if (generation != generation_)
        return;
    const int item = int(model_.files().indexOf(file));
    if (const QRect cell = model_.CellRect(item); !cell.isEmpty())
        update(cell.translated(gridOrigin()));
}

QRect CImageReviewDlg::closeButton() const
{
    return QRect(width() - kCaptionHeight, 0, kCaptionHeight, kCaptionHeight);
}

void CImageReviewDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.fillRect(QRect(0, 0, width(), kCaptionHeight), kCaption);
    p.setPen(Qt::white);
    p.drawText(QRect(6, 0, width() - kCaptionHeight - 6, kCaptionHeight), Qt::AlignVCenter | Qt::AlignLeft,
        windowTitle());
    const QRect close = closeButton().adjusted(7, 7, -7, -7);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::white, 2.0));
    p.drawLine(close.topLeft(), close.bottomRight());
    p.drawLine(close.topRight(), close.bottomLeft());
    p.setRenderHint(QPainter::Antialiasing, false);

    p.translate(gridOrigin());
    for (int item = model_.firstShown(); item <= model_.lastShown(); ++item) {
        const QRect cell = model_.CellRect(item);
        const auto found = thumbnails_.constFind(model_.files()[item]);
        if (found == thumbnails_.constEnd()) {
            p.fillRect(cell.adjusted(3, 3, -3, -3), QColor(0xEE, 0xF1, 0xF6));
        } else if (found->isNull()) {
            // Unreadable: a crossed square in its place.
            p.setPen(QColor(0xB0, 0xB8, 0xC4));
            p.drawRect(cell.adjusted(4, 4, -5, -5));
            p.drawLine(cell.topLeft() + QPoint(4, 4), cell.bottomRight() - QPoint(5, 5));
        } else {
            const QSize fitted = found->size().scaled(cell.size() - QSize(4, 4), Qt::KeepAspectRatio);
            const QRect target(cell.center() - QPoint(fitted.width() / 2, fitted.height() / 2), fitted);
            p.drawImage(target, *found);
        }
        if (item == model_.selected()) {
            p.setPen(QPen(kSelectedFrame, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(cell).adjusted(1, 1, -1, -1));
        }
    }
}

void CImageReviewDlg::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton)
        return;
    if (closeButton().contains(point)) {
        hide();
        return;
    }
    const int item = model_.Click(point - gridOrigin());
    update();
    if (item >= 0 && chosen)
        chosen(model_.files()[item], model_.videoMode());
}

void CImageReviewDlg::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        scroll_->setValue(scroll_->value() - steps);
}

} // namespace DIALOG

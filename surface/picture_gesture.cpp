#include "surface/picture_gesture.h"

#include "deferred/deferred_library.h"
#include "platform/image_file.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "player/player_exports.h"
#include "support/language.h"
#include "surface/lesson.h"
#include "surface/media_frame.h"
#include "surface/page_model.h"
#include "surface/picture_rules.h"

#include <QPainter>

#include <cmath>
#include <mutex>
#include <numbers>

namespace DIALOG {

namespace {

QImage binPicture(const QString& name)
{
    return platform::readImageFile(platform::programFolder() + QStringLiteral("/Bin/") + name);
}

// What the tracker holds of an object.
TrackerFrame frameOf(const CPenNode& node)
{
    const NodeFrame f = NodeFrame::Of(node);
    return TrackerFrame {QPointF(f.centreX, f.centreY), double(f.width), double(f.height), f.angle};
}

NodeFrame nodeFrame(const TrackerFrame& f)
{
    return NodeFrame {int(std::lround(f.width)), int(std::lround(f.height)), int(std::lround(f.centre.x())),
        int(std::lround(f.centre.y())), f.angle};
}

// The centre of a media window as its place is given: the inverse of placing it by centre and size.
QPoint centreOf(const QRect& place)
{
    return QPoint(place.x() + place.width() / 2, place.y() + place.height() / 2);
}

NodeFrame frameOfWindow(const QRect& place)
{
    const QPoint centre = centreOf(place);
    return NodeFrame {place.width(), place.height(), centre.x(), centre.y(), 0.0};
}

bool shown(const CPenNode& node)
{
    return !node.erased && !node.cleared;
}

// The cursor over a part of the tracker: a size arrow along the handle's direction, turned with the frame.
QCursor trackerCursor(CMyRectTracker::Part part, int handle, double angle)
{
    switch (part) {
    case CMyRectTracker::Part::Rotate:
        return QCursor(Qt::PointingHandCursor);
    case CMyRectTracker::Part::MoveIcon:
    case CMyRectTracker::Part::Body:
        return QCursor(Qt::SizeAllCursor);
    case CMyRectTracker::Part::Handle: {
        static const Qt::CursorShape shapes[4]
            = {Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor};
        const int turned = int(std::lround(angle / (std::numbers::pi / 4.0)));
        return QCursor(shapes[(((handle + turned) % 4) + 4) % 4]);
    }
    case CMyRectTracker::Part::None:
        break;
    }
    return QCursor(Qt::ArrowCursor);
}

// A video frame's default picture area: 640 × 360, no larger than a third of the screen's width.
QSize videoFrameSize(const QRect& screen)
{
    const int width = std::min(640, std::max(240, screen.width() / 3));
    return QSize(width, width * 9 / 16 + CMediaFrame::kCaptionHeight);
}

} // namespace

PageList& PictureGesture::pages() const
{
    return host_.lesson().Pages();
}

PictureGesture::PictureGesture(GestureHost& host)
    : Gesture(host)
{
}

PictureGesture::~PictureGesture()
{
    delete video_.data();
    delete flash_.data();
}

int PictureGesture::objectAt(QPoint point) const
{
    std::lock_guard guard(pages().Lock());
    const std::vector<CPenNode>& nodes = pages().nodes;
    for (std::size_t i = nodes.size(); i-- > 0;) {
        const CPenNode& node = nodes[i];
        if (node.kind != Picture || !shown(node))
            continue;
        CMyRectTracker probe;
        probe.SetFrame(frameOf(node));
        if (probe.HitTest(point) != CMyRectTracker::Part::None)
            return int(i);
    }
    return -1;
}

Gesture::Press PictureGesture::press(QPoint point)
{
    if (pictureSelected()) {
        int handle = 0;
        const CMyRectTracker::Part part = tracker_.HitTest(point, &handle);
        if (part == CMyRectTracker::Part::Rotate && mediaWindowOf(selected_))
            return Press::Clicked;
        if (part != CMyRectTracker::Part::None) {
            startDrag(part, handle, point);
            return Press::Captured;
        }
        deselect();
    }
    const CPenNode& current = host_.object();
    if (current.kind == Picture && !current.picturePath.empty())
        return placePicture(point);
    // In instrument mode a picture of the page is taken by a press on it.
    if (host_.instrumentMode()) {
        if (const int index = objectAt(point); index >= 0) {
            select(index);
            startDrag(CMyRectTracker::Part::Body, 0, point);
            return Press::Captured;
        }
    }
    return Press::Declined;
}

Gesture::Press PictureGesture::placePicture(QPoint point)
{
    CPenNode node = host_.object();
    const QString path = node.PicturePathForLoad();
    const QRect screen = host_.canvas().rect();
    const QSize natural = platform::imageFileSize(path);
    // A picture is as large on a scaled desktop as on a plain one: its pixels are logical ones.
    const QSize shown = natural.isValid() ? host_.deviceScale().size(natural) : QSize(1, 1);
    const PictureBox box = PlacePicture(shown, point, screen);
    node.boxWidth = box.width;
    node.boxHeight = box.height;
    node.boxCentreX = box.centreX;
    node.boxCentreY = box.centreY;
    node.boxAngle = 0.0;
    // Decoded at the size it is drawn at, not larger: a photograph of 24 megapixels costs what the box does.
    auto image = std::make_shared<QImage>(platform::readImageFile(path, QSize(box.width, box.height) * 2));
    node.image = image;
    // The next click places nothing more: the tool goes back to the pen state.
    const PenState& s = host_.lesson().Pen();
    host_.object() = CPenNode(s.colour, s.width, s.highlight, s.kind == Picture ? Pen : s.kind);
    const QRect drawn
        = QRect(box.centreX - box.width / 2, box.centreY - box.height / 2, box.width, box.height);
    host_.commitObject(node, drawn);
    if (image->isNull()) {
        // The object stays on the page and draws nothing; the teacher is told which file it was.
        host_.tell(GetConfigString(QStringLiteral("无法读取图片文件")) + QStringLiteral(": ") + path);
        return Press::Clicked;
    }
    std::lock_guard guard(pages().Lock());
    select(int(pages().nodes.size()) - 1);
    return Press::Clicked;
}

void PictureGesture::select(int index)
{
    const QRect before = shownBounds();
    {
        std::lock_guard guard(pages().Lock());
        if (index < 0 || std::size_t(index) >= pages().nodes.size())
            return;
        tracker_.SetFrame(frameOf(pages().nodes[std::size_t(index)]));
    }
    tracker_.SetScale(host_.deviceScale().ratio);
    selected_ = index;
    if (moveIcon_.isNull())
        moveIcon_ = binPicture(QStringLiteral("RectangMove.PNG"));
    if (rotateIcon_.isNull())
        rotateIcon_ = binPicture(QStringLiteral("RectangRotate.PNG"));
    host_.canvas().Compose(before | shownBounds());
}

void PictureGesture::deselect()
{
    if (!pictureSelected())
        return;
    const QRect before = shownBounds();
    selected_ = -1;
    dragging_ = false;
    tracker_.End();
    dragImage_ = QImage();
    host_.canvas().Compose(before);
}

QRect PictureGesture::shownBounds() const
{
    return pictureSelected() ? tracker_.Bounds() : QRect();
}

void PictureGesture::startDrag(CMyRectTracker::Part part, int handle, QPoint point)
{
    PageList& list = pages();
    std::lock_guard guard(list.Lock());
    // The object may have left the list since it was selected (the page cleared for good).
    if (selected_ < 0 || std::size_t(selected_) >= list.nodes.size()) {
        deselect();
        return;
    }
    tracker_.Begin(part, handle, point);
    dragging_ = true;
    CPenNode& node = list.nodes[std::size_t(selected_)];
    if (node.kind != Picture)
        return;
    // The page lies beneath without the picture for the whole drag; the picture, scaled once, is drawn over
    // it at each step.
    dragImage_ = node.image && !node.image->isNull() ? node.image->scaled(std::max(1, node.boxWidth),
                     std::max(1, node.boxHeight), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                                     : QImage();
    node.cleared = 1;
    host_.redrawPage();
    node.cleared = 0;
}

void PictureGesture::move(QPoint point)
{
    if (!dragging_)
        return;
    const QRect before = shownBounds();
    tracker_.Drag(point);
    if (video_ && selected_ == videoIndex_) {
        const TrackerFrame& f = tracker_.frame();
        video_->setGeometry(host_.deviceScale().toLogicalGeometry(
            QRectF(f.centre.x() - f.width / 2.0, f.centre.y() - f.height / 2.0, f.width, f.height).toRect()));
    }
    host_.canvas().Compose(before | shownBounds());
}

void PictureGesture::release(QPoint point)
{
    if (!dragging_)
        return;
    dragging_ = false;
    tracker_.End();
    dragImage_ = QImage();
    const int index = selected_;
    if (host_.toolStrip().contains(point)) {
        // Dropped on the tool strip: the picture leaves the page, and an undo brings it back.
        deselect();
        pages().EraseStep(index);
        if (index == videoIndex_)
            closeVideoFrame();
        if (index == flashIndex_)
            closeFlashFrame();
    } else {
        pages().ReframeStep(index, nodeFrame(tracker_.frame()));
    }
    host_.redrawPage();
}

std::optional<QCursor> PictureGesture::cursor(QPoint point) const
{
    if (!pictureSelected())
        return std::nullopt;
    int handle = 0;
    const CMyRectTracker::Part part = tracker_.HitTest(point, &handle);
    if (part == CMyRectTracker::Part::None)
        return std::nullopt;
    return trackerCursor(part, handle, tracker_.frame().angle);
}

void PictureGesture::paintOverlay(QPainter& painter) const
{
    if (!pictureSelected())
        return;
    if (dragging_ && !dragImage_.isNull()) {
        const TrackerFrame& f = tracker_.frame();
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.translate(f.centre);
        painter.rotate(f.angle * 180.0 / std::numbers::pi);
        painter.drawImage(QRectF(-f.width / 2.0, -f.height / 2.0, f.width, f.height), dragImage_);
        painter.restore();
    }
    tracker_.Draw(painter, moveIcon_, rotateIcon_);
}

void PictureGesture::cancel()
{
    if (dragging_) {
        dragging_ = false;
        host_.redrawPage();
    }
    deselect();
}

void PictureGesture::drop()
{
    cancel();
    closeVideoFrame();
    closeFlashFrame();
}

QWidget* PictureGesture::mediaWindowOf(int index) const
{
    if (index < 0)
        return nullptr;
    if (index == videoIndex_ && video_)
        return video_.data();
    if (index == flashIndex_ && flash_)
        return flash_.data();
    return nullptr;
}

// ---- media ----

bool PictureGesture::InsertVideo(const QString& path, QPoint centre)
{
    if (!vpIsFileCanBeDecoded(path)) {
        // Without the player the teacher has just been told so: the file is not to blame.
        if (!deferred::Loaded(deferred::kPlayer))
            return false;
        platform::MessageBox(host_.surfaceWindow(),
            GetConfigString(QStringLiteral("无法播放这个视频文件")) + QStringLiteral("\n") + path,
            IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示"),
            platform::MB_OK | platform::MB_ICONINFORMATION);
        return false;
    }
    CPenNode node(0, 0, 0, Video);
    node.SetMediaPath(path);
    const DeviceScale scale = host_.deviceScale();
    const QSize size = scale.size(videoFrameSize(scale.toLogicalGeometry(host_.canvas().rect())));
    node.mediaWidth = size.width();
    node.mediaHeight = size.height();
    node.mediaCentreX = centre.x();
    node.mediaCentreY = centre.y();
    node.mediaShown = true;
    // One video plays at a time: the one shown before is closed.
    {
        std::lock_guard guard(pages().Lock());
        for (CPenNode& other : pages().nodes)
            if (other.kind == Video)
                other.mediaShown = false;
    }
    host_.commitObject(node, QRect());
    SyncMedia();
    if (video_)
        video_->Play();
    return video_ != nullptr;
}

bool PictureGesture::InsertFlash(const QString& path, QPoint centre)
{
    if (!FlashPlayerPresent()) {
        platform::MessageBox(host_.surfaceWindow(),
            GetConfigString(QStringLiteral("未安装Flash播放器,无法播放Flash动画.")),
            IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示"),
            platform::MB_OK | platform::MB_ICONINFORMATION);
        return false;
    }
    CPenNode node(0, 0, 0, Flash);
    node.SetMediaPath(path);
    // A movie's usual stage, 550 × 400, under the frame's caption.
    node.mediaWidth = host_.deviceScale().length(550);
    node.mediaHeight = host_.deviceScale().length(400 + CFlashFrame::kCaptionHeight);
    node.mediaCentreX = centre.x();
    node.mediaCentreY = centre.y();
    node.mediaShown = true;
    {
        std::lock_guard guard(pages().Lock());
        for (CPenNode& other : pages().nodes)
            if (other.kind == Flash)
                other.mediaShown = false;
    }
    host_.commitObject(node, QRect());
    SyncMedia();
    return flash_ != nullptr;
}

void PictureGesture::syncFlash()
{
    int index = -1;
    CPenNode wanted;
    {
        std::lock_guard guard(pages().Lock());
        const std::vector<CPenNode>& nodes = pages().nodes;
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].kind == Flash && nodes[i].mediaShown && shown(nodes[i])) {
                index = int(i);
                wanted = nodes[i];
                break;
            }
        }
    }
    if (index < 0) {
        closeFlashFrame();
        return;
    }
    const QString path
        = DecodeStoredPath(QByteArray(wanted.mediaPath.c_str(), qsizetype(wanted.mediaPath.size())));
    if (flash_ && (flashIndex_ != index || flash_->path() != path))
        closeFlashFrame();
    // A media window is a child window, placed in logical pixels; the page keeps its place in device ones.
    const DeviceScale scale = host_.deviceScale();
    const QPoint centre = scale.toLogical(QPoint(wanted.mediaCentreX, wanted.mediaCentreY));
    const QSize size(
        std::max(scale.physical(wanted.mediaWidth), 160), std::max(scale.physical(wanted.mediaHeight), 120));
    if (flash_) {
        flash_->Place(centre, size);
        return;
    }
    flashIndex_ = index;
    flash_ = new CFlashFrame(host_.surfaceWindow(), path);
    flash_->Place(centre, size);
    flash_->moved = [this](const QRect& place) {
        pages().ReframeStep(flashIndex_, frameOfWindow(host_.deviceScale().toDevice(place)));
    };
    flash_->closed = [this] {
        // Every Flash object of the page is no longer shown; the frame goes once its click has returned.
        {
            std::lock_guard guard(pages().Lock());
            for (CPenNode& node : pages().nodes)
                if (node.kind == Flash)
                    node.mediaShown = false;
        }
        deselect();
        if (flash_)
            flash_->deleteLater();
        flash_.clear();
        flashIndex_ = -1;
    };
    flash_->show();
    if (!flash_->Open()) {
        host_.tell(GetConfigString(QStringLiteral("未安装Flash播放器,无法播放Flash动画.")));
        closeFlashFrame();
        std::lock_guard guard(pages().Lock());
        pages().nodes[std::size_t(index)].mediaShown = false;
    }
}

void PictureGesture::closeFlashFrame()
{
    if (!flash_)
        return;
    if (selected_ == flashIndex_)
        deselect();
    delete flash_.data();
    flashIndex_ = -1;
}

void PictureGesture::SyncMedia()
{
    // A selected object that left the page (cleared, erased by an undo, the page emptied) takes its tracker
    // with it.
    if (pictureSelected() && !dragging_) {
        std::unique_lock guard(pages().Lock());
        const std::vector<CPenNode>& nodes = pages().nodes;
        const bool gone = std::size_t(selected_) >= nodes.size() || !shown(nodes[std::size_t(selected_)]);
        guard.unlock();
        if (gone)
            deselect();
    }
    syncFlash();
    int index = -1;
    CPenNode wanted;
    {
        std::lock_guard guard(pages().Lock());
        const std::vector<CPenNode>& nodes = pages().nodes;
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].kind == Video && nodes[i].mediaShown && shown(nodes[i])) {
                index = int(i);
                wanted = nodes[i];
                break;
            }
        }
    }
    if (index < 0) {
        closeVideoFrame();
        return;
    }
    const QString path
        = DecodeStoredPath(QByteArray(wanted.mediaPath.c_str(), qsizetype(wanted.mediaPath.size())));
    if (video_ && (videoIndex_ != index || video_->path() != path))
        closeVideoFrame();
    const DeviceScale scale = host_.deviceScale();
    const QPoint centre = scale.toLogical(QPoint(wanted.mediaCentreX, wanted.mediaCentreY));
    const QSize size(std::max(scale.physical(wanted.mediaWidth), 160),
        std::max(scale.physical(wanted.mediaHeight), 90 + CMediaFrame::kCaptionHeight));
    if (!video_) {
        videoIndex_ = index;
        video_ = new CMediaFrame(host_.surfaceWindow(), path);
        video_->moved = [this](const QRect& place) {
            pages().ReframeStep(videoIndex_, frameOfWindow(host_.deviceScale().toDevice(place)));
        };
        video_->Place(centre, size);
        video_->show();
        if (!video_->Load()) {
            // The file went away or changed since it was placed: the teacher is told once, and the object
            // stays on the page, not shown.
            host_.tell(GetConfigString(QStringLiteral("无法播放这个视频文件")) + QStringLiteral(": ") + path);
            closeVideoFrame();
            std::lock_guard guard(pages().Lock());
            pages().nodes[std::size_t(index)].mediaShown = false;
        }
        return;
    }
    video_->Place(centre, size);
}

void PictureGesture::closeVideoFrame()
{
    if (!video_)
        return;
    delete video_.data();
    videoIndex_ = -1;
}

LRESULT PictureGesture::OnFlashClicked()
{
    if (pictureSelected() || !flash_)
        return 0;
    const QRect window = host_.deviceScale().toDevice(flash_->geometry());
    selected_ = flashIndex_;
    tracker_.SetScale(host_.deviceScale().ratio);
    tracker_.SetFrame(
        TrackerFrame {QPointF(centreOf(window)), double(window.width()), double(window.height()), 0.0});
    if (moveIcon_.isNull())
        moveIcon_ = binPicture(QStringLiteral("RectangMove.PNG"));
    if (rotateIcon_.isNull())
        rotateIcon_ = binPicture(QStringLiteral("RectangRotate.PNG"));
    host_.canvas().Compose(shownBounds());
    return 0;
}

LRESULT PictureGesture::OnMediaWindow(WPARAM wParam)
{
    if (pictureSelected()) {
        deselect();
        return 1;
    }
    if (wParam == 2) {
        {
            // The video in the frame; without one, the first video of the page.
            std::lock_guard guard(pages().Lock());
            std::vector<CPenNode>& nodes = pages().nodes;
            if (videoIndex_ >= 0 && std::size_t(videoIndex_) < nodes.size()) {
                nodes[std::size_t(videoIndex_)].mediaShown = false;
            } else {
                for (CPenNode& node : nodes) {
                    if (node.kind == Video) {
                        node.mediaShown = false;
                        break;
                    }
                }
            }
        }
        // The frame closed itself; it goes once its click has returned.
        if (video_) {
            video_->deleteLater();
            video_.clear();
            videoIndex_ = -1;
        }
    }
    return 1;
}

} // namespace DIALOG

#include "lumo/engine/wall_rules.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace lumo::wall {

int itemsPerRow(int n, int rows)
{
    return std::max(1, (n + 1) / std::max(1, rows));
}

TilePlace tilePlace(int i, int n, int rows)
{
    rows = std::max(1, rows);
    const int u = itemsPerRow(n, rows);
    const int row = std::min(i / u, rows - 1);
    const int column = i - row * u;
    // Three rows at 540, 0, -540; two at 270, -270.
    const float y = kRowStep * (float(rows - 1) / 2.0f - float(row));
    return {column * kColumnStep, y};
}

float wallLength(int lastIndex, int rows)
{
    return std::max(0, lastIndex / std::max(1, rows)) * kColumnStep;
}

QSizeF tileSize(QSize picture)
{
    if (picture.isEmpty())
        return QSizeF(kTileBox, kTileBox);
    return QSizeF(picture).scaled(kTileBox, kTileBox, Qt::KeepAspectRatio);
}

QSize tileTextureSize(QSize picture)
{
    if (picture.isEmpty())
        return picture;
    if (picture.width() <= kTileTextureSide && picture.height() <= kTileTextureSide)
        return picture;
    const QSize fitted = picture.scaled(kTileTextureSide, kTileTextureSide, Qt::KeepAspectRatio);
    return fitted.expandedTo(QSize(1, 1));
}

QRect logicalCovering(const QRect& device, double ratio)
{
    if (ratio == 1.0 || device.isNull())
        return device;
    return QRect(QPoint(int(std::floor(device.left() / ratio)), int(std::floor(device.top() / ratio))),
        QPoint(int(std::ceil((device.right() + 1) / ratio)) - 1,
            int(std::ceil((device.bottom() + 1) / ratio)) - 1));
}

QSize zoomFit(QSize picture)
{
    const qint64 w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0)
        return QSize(kZoomWidth, kZoomHeight);
    // h/720 > w/960, compared without rounding: h × 960 > w × 720.
    if (h * kZoomWidth > w * kZoomHeight)
        return QSize(std::max<qint64>(1, (w * kZoomHeight + h / 2) / h), kZoomHeight);
    return QSize(kZoomWidth, std::max<qint64>(1, (h * kZoomWidth + w / 2) / w));
}

bool isPictureFile(const QString& fileName)
{
    // Any case: the slide converter writes ".PNG", as PowerPoint always has.
    const QString end = fileName.right(3).toLower();
    return end == u"bmp" || end == u"jpg" || end == u"png";
}

int slideNumberOfTile(const QString& tileName)
{
    const QString name = QFileInfo(tileName).fileName();
    const int underscore = name.lastIndexOf(QLatin1Char('_'));
    if (underscore < 0)
        return 0;
    QString digits = name.mid(underscore + 1);
    digits = digits.left(
        digits.indexOf(QLatin1Char('.')) < 0 ? digits.size() : digits.indexOf(QLatin1Char('.')));
    bool ok = false;
    const int n = digits.toInt(&ok, 10);
    return ok && n > 0 ? n : 0;
}

bool acceptWallClick(qint64 nowMs, qint64 lastAcceptedMs)
{
    return nowMs - lastAcceptedMs >= kWallClickIntervalMs;
}

float animatorDt(float measuredSeconds)
{
    if (measuredSeconds > 1.0f)
        return 0.02f;
    return std::max(0.0f, measuredSeconds);
}

void dragBy(CameraState& camera, int dx)
{
    if (camera.selected)
        return;
    camera.targetX = std::clamp(camera.targetX - dx * 0.2f / 0.009f, 0.0f, std::max(0.0f, camera.maxX));
}

float approach(float value, float target, float rate, float dt)
{
    const float delta = target - value;
    const float step = std::sqrt(std::fabs(delta)) * rate * dt;
    if (step >= std::fabs(delta))
        return target;
    return value + (delta > 0 ? step : -step);
}

void stepCamera(CameraState& camera, float dt)
{
    if (camera.selected) {
        camera.targetX = camera.tileX;
        camera.targetY = camera.tileY;
        camera.tileRotation = approach(camera.tileRotation, -180.0f, 5.0f, dt);
    } else {
        camera.targetY = 0;
    }
    camera.lookX = approach(camera.lookX, camera.targetX, 40.0f, dt);
    camera.posX = approach(camera.posX, camera.lookX, 80.0f, dt);
    camera.posY = approach(camera.posY, camera.targetY, 80.0f, dt);
    camera.posZ = approach(camera.posZ, camera.targetZ, 20.0f, dt);
}

float wheelZ(float targetZ, float wheelDelta)
{
    return std::clamp(targetZ + wheelDelta * 300.0f, kFarthestZ, kNearestZ);
}

int zoomState(bool tileUnderCursor, bool isSelectedTile, const CameraState& camera)
{
    if (!tileUnderCursor)
        return 0;
    if (!isSelectedTile || !camera.selected)
        return 1;
    const bool standing
        = camera.posX == camera.tileX && camera.posY == camera.tileY && camera.posZ == kSelectedZ;
    return standing ? 2 : 1;
}

} // namespace lumo::wall

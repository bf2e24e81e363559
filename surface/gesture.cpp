#include "surface/gesture.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cmath>
#include <map>

namespace DIALOG {

namespace {

struct CursorResource {
    int number;
    QPoint hotSpot;
};
constexpr CursorResource kCursorResources[] = {
    {534, {2, 29}},
    {535, {1, 30}},
    {536, {15, 15}},
    {537, {1, 30}},
    {662, {15, 15}},
    {663, {1, 30}},
    {665, {2, 29}},
    {682, {7, 5}},
    {684, {15, 15}},
    {878, {1, 30}},
};

} // namespace

QCursor CursorAtScale(QPixmap picture, QPoint hotSpot, double ratio)
{
    if (ratio == 1.0)
        return QCursor(picture, hotSpot.x(), hotSpot.y());
    picture = picture.scaled(picture.size() * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QCursor(picture, int(std::lround(hotSpot.x() * ratio)), int(std::lround(hotSpot.y() * ratio)));
}

QCursor ResourceCursor(int resource)
{
    // Loaded once, since the surface asks on every pointer move, and kept to the end: cursors must not
    // outlive the application object that a static would be destroyed after.
    static const auto* cursors = [] {
        auto* loaded = new std::map<int, QCursor>;
        const QScreen* screen = QGuiApplication::primaryScreen();
        const double ratio = screen ? screen->devicePixelRatio() : 1.0;
        for (const CursorResource& c : kCursorResources) {
            const QPixmap picture(QStringLiteral(":/skin/cursors/%1.png").arg(c.number));
            (*loaded)[c.number]
                = picture.isNull() ? QCursor(Qt::CrossCursor) : CursorAtScale(picture, c.hotSpot, ratio);
        }
        return loaded;
    }();
    const auto it = cursors->find(resource);
    return it != cursors->end() ? it->second : QCursor(Qt::CrossCursor);
}

} // namespace DIALOG

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

QCursor ResourceCursor(int resource)
{
    // Loaded once, since the surface asks on every pointer move, and kept to the end: cursors must not
    // outlive the application object that a static would be destroyed after.
    static const auto* cursors = [] {
        auto* loaded = new std::map<int, QCursor>;
        // X shows a cursor's picture pixel for pixel: on a scaled desktop it is enlarged here, as the
        // desktop's own cursors are.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const double ratio = screen ? screen->devicePixelRatio() : 1.0;
        for (const CursorResource& c : kCursorResources) {
            QPixmap picture(QStringLiteral(":/skin/cursors/%1.png").arg(c.number));
            if (picture.isNull()) {
                (*loaded)[c.number] = QCursor(Qt::CrossCursor);
                continue;
            }
            if (ratio != 1.0)
                picture
                    = picture.scaled(picture.size() * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            (*loaded)[c.number] = QCursor(
                picture, int(std::lround(c.hotSpot.x() * ratio)), int(std::lround(c.hotSpot.y() * ratio)));
        }
        return loaded;
    }();
    const auto it = cursors->find(resource);
    return it != cursors->end() ? it->second : QCursor(Qt::CrossCursor);
}

} // namespace DIALOG

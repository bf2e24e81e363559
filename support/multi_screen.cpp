#include "support/multi_screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <limits>

namespace {

// The monitor that holds the centre of the rectangle, or else the one nearest to it.
QScreen* screenNearest(const QRect& rect)
{
    const QPoint centre = rect.center();
    if (QScreen* s = QGuiApplication::screenAt(centre))
        return s;
    QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        const qint64 dx = centre.x() < g.left() ? g.left() - centre.x()
            : centre.x() > g.right()            ? centre.x() - g.right()
                                                : 0;
        const qint64 dy = centre.y() < g.top() ? g.top() - centre.y()
            : centre.y() > g.bottom()          ? centre.y() - g.bottom()
                                               : 0;
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = s;
        }
    }
    return best;
}

QScreen* screenOf(QWidget* w)
{
    if (!w)
        return QGuiApplication::primaryScreen();
    return screenNearest(w->frameGeometry());
}

} // namespace

CMultiScreen::CMultiScreen(QWidget* reference)
    : reference_(reference)
{
}

QRect CMultiScreen::GetScreenRect() const
{
    QScreen* s = screenOf(reference_);
    return s ? s->geometry() : QRect();
}

QRect CMultiScreen::workArea() const
{
    QScreen* s = screenOf(reference_);
    return s ? s->availableGeometry() : QRect();
}

QRect CMultiScreen::GetTrueRect(const QRect& rect) const
{
    return rect.translated(workArea().topLeft());
}

QRect CMultiScreen::GetWorkRect() const
{
    return workArea();
}

bool CMultiScreen::CreateEx(QWidget* window, const QRect& rect) const
{
    if (!window)
        return false;
    window->setGeometry(GetTrueRect(rect));
    window->winId();
    return true;
}

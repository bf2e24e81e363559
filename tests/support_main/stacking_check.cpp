#include "support_main/stacking_check.h"

#include "platform/stacking_rule.h"
#include "platform/x11_desktop.h"

#include <QGuiApplication>
#include <QScreen>

#include <vector>

namespace qmtest {

Stacking desktopStacking(const QList<unsigned long>& aids)
{
    using platform::stacking::Layer;
    static const char* const kNames[] = {"other", "page", "aid", "panel", "dialog", "menu"};
    std::vector<platform::stacking::Window> stack;
    Stacking result;
    const QRect screen = QGuiApplication::primaryScreen()->virtualGeometry();
    for (const platform::desktop::TopWindow& w : platform::desktop::topLevelWindows()) {
        // Window managers keep mapped windows of their own off the screen.
        if (!w.viewable || !w.inputOutput || !screen.intersects(w.geometry))
            continue;
        platform::stacking::Window entry;
        entry.id = w.xid;
        entry.movable = w.overrideRedirect;
        if (w.stackLayer >= 0 && w.stackLayer <= int(Layer::Menu))
            entry.layer = Layer(w.stackLayer);
        else if (aids.contains(w.xid))
            entry.layer = Layer::Aid;
        stack.push_back(entry);
        result.description += QStringLiteral("  %1 \"%2\" (%3)\n")
                                  .arg(QString::fromLatin1(kNames[int(entry.layer)]), w.title,
                                      w.overrideRedirect ? QStringLiteral("stacked by its program")
                                                         : QStringLiteral("managed"));
    }
    result.followsRule = platform::stacking::follows(stack);
    return result;
}

} // namespace qmtest

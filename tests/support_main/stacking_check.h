#pragma once
// The stacking of the desktop's windows as another program sees it, checked against the program's rule.
#include <QList>
#include <QString>

namespace qmtest {

struct Stacking {
    bool followsRule = false;
    // Every shown window from the bottom up with its layer, for the failure message.
    QString description;
};

// The shown windows of the desktop in the X server's order; `aids` are other programs' windows the program
// opened as aids (the calculator), which belong between the page and the panel.
Stacking desktopStacking(const QList<unsigned long>& aids = {});

} // namespace qmtest

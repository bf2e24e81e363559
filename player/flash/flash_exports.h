#pragma once
// The Flash player: Ruffle in a web view, loaded by the program only when a page holds a Flash movie, so
// that a lesson without one never pays for the web engine.
#include <QString>

class QWidget;

#if defined(QMFLASH_BUILDING)
#define QMFLASH_EXPORT __attribute__((visibility("default")))
#else
#define QMFLASH_EXPORT
#endif

// The folder of the program folder that holds Ruffle's files.
inline const QString kRuffleFolder = QStringLiteral("ruffle");

extern "C" {
// A view, child of parent, that plays the movie at *path. Ruffle shows its own message inside the view for a
// movie it cannot play. Null when Ruffle's files are not in rufflePath.
QMFLASH_EXPORT QWidget* QMFlashCreateView(QWidget* parent, const QString* path, const QString* rufflePath);
}

using QMFlashCreateViewFunction = QWidget* (*)(QWidget*, const QString*, const QString*);

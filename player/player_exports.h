#pragma once
// The video player's exports: one video inside a caller's window.
#include "player/qmdirect_export.h"

#include <QString>

class QWidget;

extern "C" {
QMDIRECT_EXPORT void vpAttach(QWidget* owner);
// A null path builds nothing.
QMDIRECT_EXPORT void vpLoad(const QString& path);
QMDIRECT_EXPORT int vpGetTotalTime();
QMDIRECT_EXPORT QString vpSecondToLoalTime(int seconds);
QMDIRECT_EXPORT bool vpIsFileCanBeDecoded(const QString& path);
QMDIRECT_EXPORT int vpGetPlayState();
}

#pragma once
// A still of a video for lists of videos: one frame a little into it. Safe on any thread.
#include "player/qmdirect_export.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace player {

// The frame a tenth into the video at path (at most one second in), fitted into size with its aspect; a
// null image when the file holds no video this desktop decodes.
QMDIRECT_EXPORT QImage VideoThumbnail(const QString& path, QSize size);

} // namespace player

// The same under a plain name, for a program that binds this library when it first needs it.
extern "C" QMDIRECT_EXPORT QImage vpVideoThumbnail(const QString& path, QSize size);

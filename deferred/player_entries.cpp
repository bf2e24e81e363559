// The video player's entries the program uses, bound at first use. A video is loaded through an opening
// entry, so the entries that drive a loaded video only ask.
#include "deferred/deferred_library.h"
#include "player/player_exports.h"
#include "player/video_thumbnail.h"

using deferred::kPlayer;

extern "C" {
QM_DEFERRED_OPEN(kPlayer, bool, vpIsFileCanBeDecoded, (const QString& path), (path), false)
QM_DEFERRED_OPEN(kPlayer, void, vpAttach, (QWidget * owner), (owner), void())
QM_DEFERRED_OPEN(kPlayer, void, vpLoad, (const QString& path), (path), void())
QM_DEFERRED_ASK(kPlayer, void, vpPlay, (), (), void())
QM_DEFERRED_ASK(kPlayer, void, vpPause, (), (), void())
QM_DEFERRED_ASK(kPlayer, void, vpStop, (), (), void())
QM_DEFERRED_ASK(kPlayer, void, vpQuit, (), (), void())
QM_DEFERRED_ASK(kPlayer, void, vpAdjustToWindow, (), (), void())
QM_DEFERRED_ASK(kPlayer, int, vpGetPlayState, (), (), int(VPS_NOPLAYER))
QM_DEFERRED_ASK(kPlayer, long, vpHandleGraphEvent, (), (), 0L)
QM_DEFERRED_OPEN(kPlayer, QImage, vpVideoThumbnail, (const QString& path, QSize size), (path, size), QImage())
}

namespace player {

QImage VideoThumbnail(const QString& path, QSize size)
{
    return vpVideoThumbnail(path, size);
}

} // namespace player

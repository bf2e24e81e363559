// The screen recorder's entries, bound at first use.
#include "deferred/deferred_library.h"
#include "recorder/recorder_exports.h"

using deferred::kRecorder;

extern "C" {
QM_DEFERRED_OPEN(kRecorder, void, StartRecordScreen, (), (), void())
QM_DEFERRED_ASK(kRecorder, void, PauseRecordScreen, (), (), void())
QM_DEFERRED_ASK(kRecorder, void, StopRecordScreen, (), (), void())
QM_DEFERRED_ASK(kRecorder, int, IsPlaying, (), (), 0)
QM_DEFERRED_ASK(kRecorder, int, IsRecordVisible, (), (), 0)
QM_DEFERRED_OPEN(kRecorder, void, ShowRecordWindow, (), (), void())
QM_DEFERRED_ASK(kRecorder, void, HideRecordWindow, (), (), void())
QM_DEFERRED_OPEN(kRecorder, void, ShowRecordControlWindow, (), (), void())
QM_DEFERRED_ASK(kRecorder, void, DestroyRecordControlWindow, (), (), void())
QM_DEFERRED_OPEN(kRecorder, int, GetSoundSources, (QStringList * names, QStringList* descriptions),
    (names, descriptions), -1)
}

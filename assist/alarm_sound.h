#pragma once
// The timer's alarm: a short chime made in code and played through the desktop's sound server.
#include "assist/qmhelp_export.h"

#include <QByteArray>

namespace DIALOG::timer {

// Signed 16-bit little-endian mono samples at this rate.
constexpr int kAlarmSampleRate = 22050;

// Three rising beeps, each with soft edges so the speaker does not click, and a pause between them.
QMHELP_EXPORT QByteArray alarmSamples();

// Plays the alarm on a thread of its own and returns at once; a call while the alarm sounds is ignored.
QMHELP_EXPORT void playAlarm();
// Plays the alarm and returns when it has been handed to the sound server; false when no server answers.
QMHELP_EXPORT bool playAlarmAndWait();

} // namespace DIALOG::timer

#pragma once
// The program's own settings profile ($XDG_CONFIG_HOME/Quillmark/Quillmark.ini, section "Settings"): the pen
// a teacher starts with, where kept lessons go and how many stay, the monitor the panel opens on, and the
// recorder's microphone and frame rate. The language stays in Language.ini, where the system has always kept
// it. A value that cannot be read (a hand edit, a damaged file) gives its default and is named, so that the
// teacher can be told; every other value is kept.
#include "platform/win_types.h"
#include "support/qmexpand_export.h"

#include <QString>
#include <QStringList>

namespace settings {

// The kinds of the starting pen, with the pen-type numbers the panel keeps.
enum class PenKind { Pen = 0, Dashed = 1, Highlighter = 2 };

constexpr int kMinPenWidth = 1;
constexpr int kMaxPenWidth = 60;
constexpr int kMinKeptLessons = 1;
constexpr int kMaxKeptLessons = 200;
// The recorder's frame rates: those whose frame time is a whole number of milliseconds.
constexpr int kFrameRates[] = {5, 10, 20, 25};
QMEXPAND_EXPORT bool IsFrameRateOffered(int rate);

struct ProgramSettings {
    PenKind penKind = PenKind::Pen;
    int penWidth = 4;
    COLORREF penColour = RGB(255, 0, 0);
    QString keptLessonsFolder; // empty: $XDG_DATA_HOME/Quillmark/lessons
    int keptLessons = 20;
    QString monitor; // a screen's name; empty or absent: the primary screen
    QString microphone; // a PulseAudio source; empty: the sound server's default
    int frameRate = 20;
    double scale = 0; // the windows' scale from the next start: 0 is the desktop's, else one of kScaleChoices

    bool operator==(const ProgramSettings&) const = default;
};

struct SettingsRead {
    ProgramSettings values;
    // The keys whose values could not be read, as the file spells them; their defaults are in values.
    QStringList unreadable;
};

// The profile's path.
QMEXPAND_EXPORT QString SettingsFile();

// The settings in file; a missing file or key gives the default, silently.
QMEXPAND_EXPORT SettingsRead ReadSettings(const QString& file);
inline SettingsRead ReadSettings()
{
    return ReadSettings(SettingsFile());
}

// Stores every setting in file, keeping its other keys, sections and comments; makes the folder. False when
// the file could not be written.
QMEXPAND_EXPORT bool WriteSettings(const ProgramSettings& values, const QString& file);
inline bool WriteSettings(const ProgramSettings& values)
{
    return WriteSettings(values, SettingsFile());
}

// What the teacher reads about unreadable keys, in the language in force; empty when there are none.
QMEXPAND_EXPORT QString UnreadableSettingsText(const QString& file, const QStringList& keys);

// The folder kept lessons go to under these settings.
QMEXPAND_EXPORT QString KeptLessonsFolderOf(const ProgramSettings& values);

// A colour as the profile writes it, "#RRGGBB", and back; false for anything else.
QMEXPAND_EXPORT QString ColourText(COLORREF colour);
QMEXPAND_EXPORT bool ColourFromText(const QString& text, COLORREF* colour);

} // namespace settings

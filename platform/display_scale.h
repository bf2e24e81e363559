#pragma once
// The scale of the program's windows on a high-density screen. Qt's X11 platform scales windows and text by
// the desktop's Xft.dpi over 96 as it is (1.146 at 110 dpi) and knows nothing of GDK_SCALE or of the
// teacher's own choice. So the program decides one scale before Qt starts, from what the desktop says, and
// gives Qt the factor it lacks to reach it; Qt's text follows its windows.
#include "platform/platform_export.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// What the scale depends on, as the process was started and as the X server says.
struct ScaleSources {
    QByteArray screenScaleFactors; // QT_SCREEN_SCALE_FACTORS
    QByteArray scaleFactor; // QT_SCALE_FACTOR
    QByteArray gdkScale; // GDK_SCALE
    double chosenScale = 0; // the teacher's own choice from the program's profile; 0 when none
    double xftDpi = 0; // the X server's Xft.dpi resource; 0 when it has none
};

// True when whoever started the program told Qt its scale (QT_SCREEN_SCALE_FACTORS or QT_SCALE_FACTOR):
// the program then changes nothing.
QMPLATFORM_EXPORT bool ScaleGivenToQt(const ScaleSources& sources);

// The desktop's scale: the teacher's choice, else GDK_SCALE, else Xft.dpi over 96 to the nearest quarter,
// else 1. Scales lie between 1 and 4.
QMPLATFORM_EXPORT double DesktopScale(const ScaleSources& sources);

// QT_SCALE_FACTOR to set so that Qt, which multiplies it by Xft.dpi over 96, reaches the desktop's scale;
// empty when Qt reaches it alone or the scale was given to Qt.
QMPLATFORM_EXPORT QByteArray ScaleFactorToSet(const ScaleSources& sources);

// The environment of this process and the X server's Xft.dpi, read with Xlib (Qt has not started yet).
QMPLATFORM_EXPORT ScaleSources CurrentScaleSources();

// The scales a teacher may choose instead of the desktop's own (a choice of 0).
inline constexpr double kScaleChoices[] = {1, 1.25, 1.5, 2};

// A choice as a profile keeps it: "auto" for the desktop's scale, else a percentage ("150").
QMPLATFORM_EXPORT QString ScaleChoiceText(double choice);
// The choice such a text names ("auto", "", "150", "150 %", "150%"), 0 for the desktop's scale; nothing for
// a text that names no offered scale.
QMPLATFORM_EXPORT std::optional<double> ScaleChoiceFromText(const QString& text);

// Sets the factor chosen above, with the teacher's choice (0: none); called in main() before the
// application object exists.
QMPLATFORM_EXPORT void ChooseDisplayScale(double chosenScale);

} // namespace platform

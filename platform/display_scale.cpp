#include "platform/display_scale.h"

#include <QtGlobal>

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform {
namespace {

constexpr double kMinScale = 1.0;
constexpr double kMaxScale = 4.0;
constexpr double kBaseDpi = 96.0;

// A positive number, or 0 for text that is not one.
double positiveNumber(const QByteArray& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) && value > 0 ? value : 0;
}

double withinRange(double scale)
{
    return std::clamp(scale, kMinScale, kMaxScale);
}

} // namespace

bool ScaleGivenToQt(const ScaleSources& sources)
{
    return !sources.screenScaleFactors.trimmed().isEmpty() || !sources.scaleFactor.trimmed().isEmpty();
}

double DesktopScale(const ScaleSources& sources)
{
    if (sources.chosenScale > 0)
        return withinRange(sources.chosenScale);
    // GDK_SCALE is a whole number by its definition.
    if (const double gdk = positiveNumber(sources.gdkScale); gdk >= 1)
        return withinRange(std::floor(gdk));
    if (sources.xftDpi > 0)
        return withinRange(std::round(sources.xftDpi / kBaseDpi * 4) / 4);
    return 1;
}

QByteArray ScaleFactorToSet(const ScaleSources& sources)
{
    if (ScaleGivenToQt(sources))
        return {};
    const double qtAlone = sources.xftDpi > 0 ? sources.xftDpi / kBaseDpi : 1.0;
    const double factor = DesktopScale(sources) / qtAlone;
    if (std::abs(factor - 1) < 1e-3)
        return {};
    return QByteArray::number(factor, 'g', 6);
}

ScaleSources CurrentScaleSources()
{
    ScaleSources sources;
    sources.screenScaleFactors = qgetenv("QT_SCREEN_SCALE_FACTORS");
    sources.scaleFactor = qgetenv("QT_SCALE_FACTOR");
    sources.gdkScale = qgetenv("GDK_SCALE");
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return sources;
    if (const char* resources = XResourceManagerString(display)) {
        XrmInitialize();
        if (XrmDatabase database = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value {};
            if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
                sources.xftDpi = std::max(0.0, std::atof(value.addr));
            XrmDestroyDatabase(database);
        }
    }
    XCloseDisplay(display);
    return sources;
}

QString ScaleChoiceText(double choice)
{
    return choice > 0 ? QString::number(qRound(choice * 100)) : QStringLiteral("auto");
}

std::optional<double> ScaleChoiceFromText(const QString& text)
{
    QString percent = text.trimmed();
    if (percent.isEmpty() || percent.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return 0.0;
    if (percent.endsWith(u'%'))
        percent.chop(1);
    bool ok = false;
    const int value = percent.trimmed().toInt(&ok);
    for (const double choice : kScaleChoices)
        if (ok && value == qRound(choice * 100))
            return choice;
    return std::nullopt;
}

void ChooseDisplayScale(double chosenScale)
{
    ScaleSources sources = CurrentScaleSources();
    sources.chosenScale = chosenScale;
    if (const QByteArray factor = ScaleFactorToSet(sources); !factor.isEmpty())
        qputenv("QT_SCALE_FACTOR", factor);
}

} // namespace platform

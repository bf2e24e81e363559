#include "support/program_settings.h"

#include "support/language.h"

#include "platform/display_scale.h"
#include "platform/profile.h"
#include "platform/shell.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>
#include <optional>

using namespace Qt::StringLiterals;

namespace settings {

namespace {

const QString kSection = u"Settings"_s;
const QString kPenKind = u"PenKind"_s;
const QString kPenWidth = u"PenWidth"_s;
const QString kPenColour = u"PenColour"_s;
const QString kKeptFolder = u"KeptLessonsFolder"_s;
const QString kKeptCount = u"KeptLessons"_s;
const QString kMonitor = u"Monitor"_s;
const QString kMicrophone = u"Microphone"_s;
const QString kFrameRate = u"FrameRate"_s;
const QString kScale = u"Scale"_s;
constexpr int kValueBuffer = 4096;

const QStringList& penKindNames()
{
    static const QStringList names {u"pen"_s, u"dashed"_s, u"highlighter"_s};
    return names;
}

// A value as it is in the file, or nothing when the key is not there (the default then, silently).
std::optional<QString> valueOf(const QString& key, const QString& file)
{
    // A marker no hand writes tells a missing key from an empty value.
    const QString absent = u"\x01absent"_s;
    const QString value = platform::GetPrivateProfileString(kSection, key, absent, kValueBuffer, file);
    if (value == absent)
        return std::nullopt;
    return value;
}

std::optional<int> wholeNumber(const QString& text, int low, int high)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return n;
}

// A folder written by hand may start with "~/"; anything that is not then absolute cannot be used.
std::optional<QString> folderPath(const QString& text)
{
    QString path = text.trimmed();
    if (path.startsWith(u"~/"_s))
        path = QDir::homePath() + path.mid(1);
    if (path.isEmpty())
        return QString();
    if (!QDir::isAbsolutePath(path))
        return std::nullopt;
    return QDir::cleanPath(path);
}

// Reads one key with its rule: a missing key leaves the default, one the rule refuses is named.
template<typename T, typename Rule>
void readKey(const QString& key, const QString& file, T* field, QStringList* unreadable, Rule rule)
{
    const std::optional<QString> text = valueOf(key, file);
    if (!text)
        return;
    if (const std::optional<T> value = rule(*text))
        *field = *value;
    else
        *unreadable << key;
}

} // namespace

bool IsFrameRateOffered(int rate)
{
    return std::find(std::begin(kFrameRates), std::end(kFrameRates), rate) != std::end(kFrameRates);
}

QString SettingsFile()
{
    return platform::configHome() + u"/Quillmark/Quillmark.ini"_s;
}

QString ColourText(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)).name().toUpper();
}

bool ColourFromText(const QString& text, COLORREF* colour)
{
    const QString trimmed = text.trimmed();
    static const QRegularExpression hex(u"^#[0-9A-Fa-f]{6}$"_s);
    if (!hex.match(trimmed).hasMatch())
        return false;
    const uint rgb = trimmed.mid(1).toUInt(nullptr, 16);
    *colour = RGB(int(rgb >> 16), int(rgb >> 8), int(rgb));
    return true;
}

SettingsRead ReadSettings(const QString& file)
{
    SettingsRead read;
    ProgramSettings& v = read.values;
    QStringList* bad = &read.unreadable;
    readKey(kPenKind, file, &v.penKind, bad, [](const QString& t) -> std::optional<PenKind> {
        const qsizetype kind = penKindNames().indexOf(t.trimmed().toLower());
        return kind < 0 ? std::nullopt : std::optional(PenKind(kind));
    });
    readKey(kPenWidth, file, &v.penWidth, bad,
        [](const QString& t) { return wholeNumber(t, kMinPenWidth, kMaxPenWidth); });
    readKey(kPenColour, file, &v.penColour, bad, [](const QString& t) -> std::optional<COLORREF> {
        COLORREF colour = 0;
        return ColourFromText(t, &colour) ? std::optional(colour) : std::nullopt;
    });
    readKey(kKeptFolder, file, &v.keptLessonsFolder, bad, folderPath);
    readKey(kKeptCount, file, &v.keptLessons, bad,
        [](const QString& t) { return wholeNumber(t, kMinKeptLessons, kMaxKeptLessons); });
    readKey(kMonitor, file, &v.monitor, bad, [](const QString& t) { return std::optional(t.trimmed()); });
    readKey(
        kMicrophone, file, &v.microphone, bad, [](const QString& t) { return std::optional(t.trimmed()); });
    readKey(kFrameRate, file, &v.frameRate, bad, [](const QString& t) -> std::optional<int> {
        const std::optional<int> rate = wholeNumber(t, 1, 1000);
        return rate && IsFrameRateOffered(*rate) ? rate : std::nullopt;
    });
    readKey(kScale, file, &v.scale, bad, platform::ScaleChoiceFromText);
    return read;
}

bool WriteSettings(const ProgramSettings& v, const QString& file)
{
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    const QList<std::pair<QString, QString>> values {
        {kPenKind, penKindNames().value(int(v.penKind), penKindNames().first())},
        {kPenWidth, QString::number(v.penWidth)},
        {kPenColour, ColourText(v.penColour)},
        {kKeptFolder, v.keptLessonsFolder},
        {kKeptCount, QString::number(v.keptLessons)},
        {kMonitor, v.monitor},
        {kMicrophone, v.microphone},
        {kFrameRate, QString::number(v.frameRate)},
        {kScale, platform::ScaleChoiceText(v.scale)},
    };
    bool written = true;
    for (const auto& [key, value] : values)
        written = platform::WritePrivateProfileString(kSection, key, value.isNull() ? u""_s : value, file)
            && written;
    return written;
}

QString UnreadableSettingsText(const QString& file, const QStringList& keys)
{
    if (keys.isEmpty())
        return {};
    return IsEnglish()
        ? u"Some settings in %1 could not be read (%2); their defaults are used until they are set again."_s
              .arg(file, keys.join(u", "_s))
        : u"设置文件 %1 中有些设置无法读取（%2），在重新设置之前使用默认值。"_s.arg(file, keys.join(u"、"_s));
}

QString KeptLessonsFolderOf(const ProgramSettings& values)
{
    return values.keptLessonsFolder.isEmpty() ? platform::dataHome() + u"/Quillmark/lessons"_s
                                              : values.keptLessonsFolder;
}

} // namespace settings

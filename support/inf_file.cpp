#include "support/inf_file.h"

#include <QFile>
#include <QStringConverter>
#include <QStringDecoder>

namespace {

QString decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringConverter::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringConverter::Utf16BE).decode(bytes.mid(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLocal8Bit(bytes) : text;
}

} // namespace

bool CInfFileHelper::Open(const QString& path)
{
    lines_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A driver package's INF is a few kilobytes; more than this is not one.
    constexpr qint64 kLargest = 16 * 1024 * 1024;
    const QByteArray bytes = file.read(kLargest);
    for (QString line : decode(bytes).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines_.append(line);
    }
    return true;
}

QStringList CInfFileHelper::sectionLines(const QString& header) const
{
    QStringList found;
    qsizetype i = 0;
    while (i < lines_.size() && !lines_[i].contains(header))
        ++i;
    for (++i; i < lines_.size(); ++i) {
        const QString line = lines_[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.contains(QLatin1Char('[')))
            break;
        found.append(line);
    }
    return found;
}

QStringList CInfFileHelper::ModelEntries() const
{
    QStringList entries;
    for (const QString& line : sectionLines(QStringLiteral("[Manufacturer]"))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0)
            entries.append(line.mid(eq + 1).trimmed());
    }
    return entries;
}

QString CInfFileHelper::ModelSection(const QString& modelEntry)
{
    return QLatin1Char('[') + QString(modelEntry).replace(QStringLiteral(", "), QStringLiteral(".")) + QLatin1Char(']');
}

QStringList CInfFileHelper::HardwareIds(const QString& section) const
{
    QStringList ids;
    for (const QString& line : sectionLines(section)) {
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (comma >= 0)
            ids.append(line.mid(comma + 1).trimmed());
    }
    return ids;
}

QStringList CInfFileHelper::AllHardwareIds() const
{
    QStringList ids;
    for (const QString& entry : ModelEntries())
        ids += HardwareIds(ModelSection(entry));
    return ids;
}

QString CInfFileHelper::FirstHardwareId() const
{
    for (const QString& entry : ModelEntries()) {
        const QStringList ids = HardwareIds(ModelSection(entry));
        if (!ids.isEmpty())
            return ids.first();
    }
    return QString();
}

QString CInfFileHelper::SetupClass() const
{
    for (const QString& line : sectionLines(QStringLiteral("[Version]"))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed().compare(QLatin1String("Class"), Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return QString();
}

bool CInfFileHelper::HardwareIdMatches(const QString& deviceId, const QString& infId)
{
    const QString device = deviceId.toUpper();
    const QString inf = infId.toUpper();
    if (inf.isEmpty() || !device.contains(inf))
        return false;
    if (inf.size() >= device.size())
        return true;
    const QChar next = device.at(inf.size());
    return next == QLatin1Char('&') || next == QLatin1Char('-') || next == QLatin1Char('#') || next == QLatin1Char('_');
}

#include "platform/autostart.h"

#include "platform/shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace platform {

QString autostartFile()
{
    return configHome() + QStringLiteral("/autostart/quillmark.desktop");
}

bool autostartOn()
{
    QFile file(autostartFile());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inEntry || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        // The desktop's own settings switch an entry off this way instead of deleting it.
        if ((key == QStringLiteral("Hidden") && value == QStringLiteral("true"))
            || (key == QStringLiteral("X-GNOME-Autostart-enabled") && value == QStringLiteral("false")))
            return false;
    }
    return true;
}

QString desktopExecQuoted(const QString& program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    // A literal percent sign is doubled in an Exec line, quoted or not.
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

QString autostartEntry(const QString& program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillmark\n"
                          "Name[zh_CN]=白板\n"
                          "Comment=Start the whiteboard with the session\n"
                          "Comment[zh_CN]=登录时启动白板\n"
                          "Exec=%1\n"
                          "Path=%2\n"
                          "Icon=quillmark\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(desktopExecQuoted(program), QFileInfo(program).absolutePath());
}

bool setAutostart(bool on, const QString& program)
{
    const QString path = autostartFile();
    if (!on)
        return !QFileInfo::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(autostartEntry(program).toUtf8());
    return file.commit();
}

} // namespace platform

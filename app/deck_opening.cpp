#include "app/deck_opening.h"

#include "platform/desktop_session.h"
#include "platform/shell.h"
#include "support/language.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

DeckOpening DeckOpeningFor(const QString& file, bool waylandSession, const QString& soffice)
{
    const QString extension = QFileInfo(file).suffix().toLower();
    // A .wps deck is WPS's own: WPS for Linux is an X11 program already.
    const bool libreOfficeOpens = extension == u"ppt"_s || extension == u"pptx"_s;
    if (!waylandSession || soffice.isEmpty() || !libreOfficeOpens)
        return {};
    // "gen" is LibreOffice's plain X11 face: its show is an X11 window that the toolbar's keys reach.
    return {false, soffice, {u"--nologo"_s, file}, {u"SAL_USE_VCLPLUGIN=gen"_s}};
}

bool OpenDeck(const QString& file)
{
    QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
    if (soffice.isEmpty())
        soffice = QStandardPaths::findExecutable(u"libreoffice"_s);
    const DeckOpening opening = DeckOpeningFor(file, platform::InWaylandSession(), soffice);
    if (opening.throughDesktop)
        return platform::shellOpen(file);
    QProcess process;
    process.setProgram(opening.program);
    process.setArguments(opening.arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : opening.environment)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    process.setProcessEnvironment(environment);
    return process.startDetached();
}

QString NoPresentationText(bool waylandSession)
{
    if (waylandSession)
        return GetConfigString(
            u"没有找到可以控制的演示文稿：在Wayland桌面上，请用“Office”按钮打开演示文稿"_s);
    return GetConfigString(u"没有找到打开的演示文稿"_s);
}

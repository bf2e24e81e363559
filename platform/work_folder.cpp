#include "platform/work_folder.h"

#include "platform/profile.h"
#include "platform/shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

const QString kUserProfile = QStringLiteral("SetInfo.ini");
const QString kLanguageProfile = QStringLiteral("Language.ini");
const QString kSettingSection = QStringLiteral("Setting");

// Entries of the program folder that are never linked: what each user has or makes on their own.
bool ownedByTheUser(const QString& name)
{
    return name == QLatin1String(kInstalledMark) || name == kUserProfile || name == kLanguageProfile
        || name == QStringLiteral("Temp") || name == QStringLiteral("Save");
}

bool copyWritable(const QString& from, const QString& to)
{
    if (!QFile::copy(from, to))
        return false;
    return QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner | QFile::ReadOwner);
}

// The program's language file with the user's choices of [Setting] written into it.
void refreshLanguageProfile(const QString& program, const QString& own)
{
    if (!QFileInfo(program).isFile())
        return;
    const auto setting = GetPrivateProfileSection(kSettingSection, own);
    const QString fresh = own + QStringLiteral(".new");
    QFile::remove(fresh);
    if (!copyWritable(program, fresh))
        return;
    for (const auto& [key, value] : setting)
        WritePrivateProfileString(kSettingSection, key, value, fresh);
    if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(own).constData()) != 0)
        QFile::remove(fresh);
}

// A link in the work folder for each entry of the program folder; links whose entry went away (a newer
// version without it) go too. An entry the user made there of the same name is left alone.
void linkProgramEntries(const QDir& program, const QDir& work)
{
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& entry : work.entryInfoList(filter)) {
        if (entry.isSymLink() && entry.symLinkTarget().startsWith(program.absolutePath() + u'/')
            && !QFileInfo::exists(entry.symLinkTarget()))
            QFile::remove(entry.absoluteFilePath());
    }
    for (const QString& name : program.entryList(filter)) {
        const QString link = work.filePath(name);
        if (ownedByTheUser(name) || QFileInfo(link).exists() || QFileInfo(link).isSymLink())
            continue;
        QFile::link(program.filePath(name), link);
    }
}

} // namespace

bool programFolderIsInstalled()
{
    const QString folder = programFolder();
    return QFileInfo::exists(folder + u'/' + QLatin1String(kInstalledMark))
        || ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK, AT_EACCESS) != 0;
}

QString workFolder()
{
    if (!programFolderIsInstalled())
        return programFolder();
    return dataHome() + QStringLiteral("/Quillmark");
}

bool enterWorkFolder()
{
    if (!programFolderIsInstalled())
        return false;
    const QDir program(programFolder());
    const QString work = workFolder();
    if (!QDir().mkpath(work) || !QFileInfo(work).isWritable())
        return false;
    const QDir own(work);
    if (!QFileInfo::exists(own.filePath(kUserProfile)) && program.exists(kUserProfile))
        copyWritable(program.filePath(kUserProfile), own.filePath(kUserProfile));
    refreshLanguageProfile(program.filePath(kLanguageProfile), own.filePath(kLanguageProfile));
    linkProgramEntries(program, own);
    return QDir::setCurrent(work);
}

} // namespace platform

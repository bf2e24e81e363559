#include "assist/deck_convert_model.h"

#include "platform/shell.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSize>

#include <algorithm>
#include <cmath>

namespace qmhelp {

bool isSlideDeck(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"ppt" || suffix == u"pptx" || suffix == u"odp";
}

QString deckTitle(const QString& deckPath)
{
    return QFileInfo(deckPath).completeBaseName();
}

QString deckFolderName(const QString& title)
{
    QString name = title;
    for (QChar& c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'_';
    }
    for (qsizetype i = 0; i < name.size() && name[i] == u'.'; ++i)
        name[i] = u'_';
    return name.isEmpty() ? QStringLiteral("_") : name;
}

QString deckFolder(const QString& currentDirectory, const QString& title)
{
    return QStringLiteral("%1/Save/PowerPoint/%2").arg(currentDirectory, deckFolderName(title));
}

QString ownDeckFolder(const QString& currentDirectory, const QString& title)
{
    const QString first = deckFolder(currentDirectory, title);
    for (int n = 1;; ++n) {
        const QString folder = n == 1 ? first : QStringLiteral("%1 (%2)").arg(first).arg(n);
        const QFileInfo info(folder);
        if ((!info.exists() && !info.isSymLink()) || platform::isScratchFolder(folder))
            return folder;
    }
}

int slideNumberOf(const QString& fileName)
{
    static const QRegularExpression number(QStringLiteral("^(?:Slide|幻灯片)(\\d+)\\.[^.]+$"));
    const QRegularExpressionMatch m = number.match(QFileInfo(fileName).fileName());
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    const int n = m.captured(1).toInt(&ok);
    return ok ? n : 0;
}

QString slidePictureName(const QString& title, int number, const QString& extension)
{
    return QStringLiteral("%1_%2.%3").arg(title).arg(number, 3, 10, QLatin1Char('0')).arg(extension);
}

FolderChoice chooseForFolder(
    bool folderExisted, bool flagPresent, const QDateTime& folderTime, const QDateTime& deckWritten)
{
    if (!folderExisted)
        return FolderChoice::Convert;
    if (flagPresent)
        return FolderChoice::Ask;
    // A deck saved after its slides were made has changed since: its old pictures would show the old slides.
    if (!folderTime.isValid() || !deckWritten.isValid() || folderTime.addSecs(-60) <= deckWritten)
        return FolderChoice::Convert;
    return FolderChoice::Reuse;
}

QSize slideRenderSize(const QSizeF& pagePoints)
{
    if (!(pagePoints.width() > 0) || !(pagePoints.height() > 0))
        return QSize(1280, 960);
    const double scale = std::min(1280.0 / pagePoints.width(), 960.0 / pagePoints.height());
    return QSize(std::max(1, int(std::lround(pagePoints.width() * scale))),
        std::max(1, int(std::lround(pagePoints.height() * scale))));
}

} // namespace qmhelp

namespace qmhelp {

ProgressView progressView(ConversionStage stage, int k, int n, bool english)
{
    if (stage == ConversionStage::Pages && n <= 0)
        return {english ? QStringLiteral("Opening the PDF…") : QStringLiteral("正在打开PDF…"), 0, 0};
    if (stage == ConversionStage::Office || n <= 0)
        return {english ? QStringLiteral("LibreOffice is converting the slides…")
                        : QStringLiteral("LibreOffice 正在转换幻灯片…"),
            0, 0};
    k = std::clamp(k, 0, n);
    if (stage == ConversionStage::Slides)
        return {english ? QStringLiteral("Slide %1 of %2").arg(k).arg(n)
                        : QStringLiteral("第%1张幻灯片,共%2张").arg(k).arg(n),
            n, k};
    return {english ? QStringLiteral("Opening page %1 of %2").arg(k).arg(n)
                    : QStringLiteral("正在打开第%1页，共%2页").arg(k).arg(n),
        n, k};
}

} // namespace qmhelp

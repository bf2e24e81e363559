#include "assist/ppt_convert.h"

#include "assist/deck_convert_model.h"
#include "pdf/pdf_reader.h"

#include "platform/shell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUrl>

#include <csignal>
#include <unistd.h>

namespace UICONTROL {

QString CPptConvert::officeProgram()
{
    for (const char* name : {"soffice", "libreoffice"})
        if (const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name)); !path.isEmpty())
            return path;
    return QString();
}

bool CPptConvert::Initialise()
{
    office_ = officeProgram();
    return !office_.isEmpty();
}

bool CPptConvert::Convert(
    const QString& deckPath, const QString& outputFolder, int mode, const Progress& progress)
{
    error_.clear();
    cancelled_ = false;
    totalSize_ = 0;
    slides_ = 0;
    officeMs_ = renderMs_ = 0;
    if (mode != 0) {
        error_ = QStringLiteral("unknown conversion mode %1").arg(mode);
        return false;
    }
    if (!TakeDeck(deckPath))
        return false;
    if (!QDir().mkpath(outputFolder)) {
        error_ = QStringLiteral("the folder %1 cannot be made").arg(outputFolder);
        return false;
    }
    // The office suite's profile, its home and the PDF live in the slide folder's "temp", removed afterwards.
    const QString work = outputFolder + QStringLiteral("/temp");
    platform::removeScratchFolder(work);
    if (!platform::makeScratchFolder(work)) {
        error_ = QStringLiteral("the folder %1 cannot be made").arg(work);
        return false;
    }
    QString pdf;
    QElapsedTimer clock;
    clock.start();
    bool ok = PrintToPdf(deckPath, work, &pdf);
    officeMs_ = clock.restart();
    if (ok)
        ok = RenderPages(pdf, outputFolder, progress);
    platform::removeScratchFolder(work);
    if (ok) {
        totalSize_ = RenameSlidePictures(outputFolder, qmhelp::deckFolderName(title_));
        ok = totalSize_ >= 0;
        if (!ok)
            error_ = QStringLiteral("the slide pictures could not be renamed");
    }
    renderMs_ = clock.elapsed();
    return ok;
}

bool CPptConvert::ConvertToPdf(const QString& deckPath, const QString& workFolder, QString* pdfPath)
{
    error_.clear();
    cancelled_ = false;
    return TakeDeck(deckPath) && PrintToPdf(deckPath, workFolder, pdfPath);
}

bool CPptConvert::TakeDeck(const QString& deckPath)
{
    if (office_.isEmpty() && !Initialise()) {
        error_ = QStringLiteral("LibreOffice is not installed");
        return false;
    }
    if (!QFileInfo(deckPath).isFile()) {
        error_ = QStringLiteral("the deck %1 cannot be read").arg(deckPath);
        return false;
    }
    title_ = qmhelp::deckTitle(deckPath);
    return true;
}

bool CPptConvert::PrintToPdf(const QString& deckPath, const QString& workFolder, QString* pdfPath)
{
    const QString profile = workFolder + QStringLiteral("/profile");
    const QString home = workFolder + QStringLiteral("/home");
    if (!QDir().mkpath(profile) || !QDir().mkpath(home)) {
        error_ = QStringLiteral("the folder %1 cannot be made").arg(workFolder);
        return false;
    }
    QProcess office;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("SAL_USE_VCLPLUGIN"));
    office.setProcessEnvironment(env);
    office.setWorkingDirectory(workFolder);
    office.setProcessChannelMode(QProcess::MergedChannels);
    // Its own process group, so that a deck that hangs is stopped with every process the suite started.
    office.setChildProcessModifier([] { ::setsid(); });
    office.start(office_,
        {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded),
            QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--norestore"),
            QStringLiteral("--nologo"), QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
            QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), workFolder,
            deckPath});
    if (!office.waitForStarted(10000)) {
        error_ = QStringLiteral("LibreOffice could not be started");
        return false;
    }
    QElapsedTimer running;
    running.start();
    while (!office.waitForFinished(100) && office.state() != QProcess::NotRunning) {
        const bool cancel = cancelRequested();
        if (!cancel && running.elapsed() < timeLimitMs_)
            continue;
        // The group goes while its leader is still unreaped, so that its number names no other group.
        ::kill(-pid_t(office.processId()), SIGKILL);
        office.waitForFinished(5000);
        if (!cancel)
            error_ = QStringLiteral("LibreOffice took longer than %1 s").arg(timeLimitMs_ / 1000);
        QFile::remove(workFolder + QLatin1Char('/') + title_ + QStringLiteral(".pdf"));
        return false;
    }
    if (cancelRequested())
        return false;
    // Its exit code says nothing about the deck: only the PDF does.
    *pdfPath = workFolder + QLatin1Char('/') + title_ + QStringLiteral(".pdf");
    if (!QFileInfo(*pdfPath).isFile() || QFileInfo(*pdfPath).size() == 0) {
        const QString said = QString::fromLocal8Bit(office.readAll()).simplified().left(160);
        error_ = said.isEmpty() ? QStringLiteral("LibreOffice made no PDF of the deck")
                                : QStringLiteral("LibreOffice made no PDF of the deck: %1").arg(said);
        return false;
    }
    return true;
}

bool CPptConvert::RenderPages(const QString& pdfPath, const QString& outputFolder, const Progress& progress)
{
    bool readerMissing = false;
    const std::unique_ptr<pdfreader::Document> doc = pdfreader::Open(pdfPath, &readerMissing);
    if (!doc || doc->Locked() || doc->PageCount() <= 0) {
        error_
            = readerMissing ? pdfreader::MissingText() : QStringLiteral("the PDF of the deck cannot be read");
        return false;
    }
    const int n = doc->PageCount();
    QStringList written;
    for (int i = 0; i < n; ++i) {
        if (cancelRequested()) {
            for (const QString& page : written)
                QFile::remove(page);
            slides_ = 0;
            return false;
        }
        const QSizeF points = doc->PageSize(i);
        if (points.isEmpty())
            continue;
        const QSize size = qmhelp::slideRenderSize(points);
        const double dpiX = points.width() > 0 ? size.width() * 72.0 / points.width() : 96.0;
        const double dpiY = points.height() > 0 ? size.height() * 72.0 / points.height() : 96.0;
        const QImage image = doc->Render(i, dpiX, dpiY, nullptr);
        const QString name = QStringLiteral("%1/Slide%2.PNG").arg(outputFolder).arg(i + 1);
        if (image.isNull() || !image.save(name, "PNG")) {
            error_ = QStringLiteral("slide %1 cannot be written to %2").arg(i + 1).arg(outputFolder);
            return false;
        }
        written << name;
        ++slides_;
        if (progress)
            progress(i + 1, n);
    }
    return slides_ > 0;
}

bool CPptConvert::cancelRequested()
{
    if (!cancelled_ && cancelCheck_ && cancelCheck_())
        cancelled_ = true;
    return cancelled_;
}

qint64 CPptConvert::RenameSlidePictures(const QString& folder, const QString& title)
{
    QDir dir(folder);
    if (!dir.exists())
        return -1;
    qint64 total = 0;
    const QFileInfoList files = dir.entryInfoList(QDir::Files);
    for (const QFileInfo& file : files) {
        const int number = qmhelp::slideNumberOf(file.fileName());
        if (number <= 0)
            continue;
        const QString target = dir.filePath(qmhelp::slidePictureName(title, number, file.suffix()));
        if (QFileInfo::exists(target))
            QFile::remove(target);
        if (QFile::rename(file.filePath(), target))
            total += QFileInfo(target).size();
    }
    return total;
}

} // namespace UICONTROL

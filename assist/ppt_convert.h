#pragma once
// Turns a slide deck into slide pictures with LibreOffice and Poppler: the office suite prints the deck to
// PDF in a profile of its own, and each PDF page is rendered to a picture.
#include "assist/qmhelp_export.h"

#include <QString>

#include <functional>

namespace UICONTROL {

class QMHELP_EXPORT CPptConvert {
public:
    // Called after each page is written: k of n.
    using Progress = std::function<void(int k, int n)>;
    // Asked while LibreOffice runs and between pages, from the converting thread: true stops the work.
    using CancelCheck = std::function<bool()>;

    // The office program, found on the search path; empty when LibreOffice is not installed.
    static QString officeProgram();

    // False when LibreOffice is not installed.
    bool Initialise();
    // Converts deckPath into outputFolder (made if missing) as "<title>_%03d.PNG". Mode 0 is the only mode:
    // pictures. On failure, Error() says why in one line.
    bool Convert(
        const QString& deckPath, const QString& outputFolder, int mode, const Progress& progress = {});

    // Only prints deckPath to a PDF in workFolder (made if missing, holding the office suite's profile), for
    // callers that render the pages themselves. On failure, Error() gives the converter's own words.
    bool ConvertToPdf(const QString& deckPath, const QString& workFolder, QString* pdfPath);

    // A conversion stopped by the cancel check ends with Cancelled() true, no Error() and no PDF or page
    // left behind; LibreOffice and every process it started are gone.
    void SetCancelCheck(CancelCheck check) { cancelCheck_ = std::move(check); }
    bool Cancelled() const { return cancelled_; }

    const QString& Error() const { return error_; }
    qint64 TotalSize() const { return totalSize_; }
    int SlideCount() const { return slides_; }
    // Milliseconds spent in LibreOffice and in rendering and renaming the pages.
    qint64 OfficeMilliseconds() const { return officeMs_; }
    qint64 RenderMilliseconds() const { return renderMs_; }

    // How long LibreOffice may take for one deck before it is stopped.
    void SetTimeLimit(int milliseconds) { timeLimitMs_ = milliseconds; }

    // Renames every "Slide<N>" / "幻灯片<N>" picture of folder to title + "_%03d" + its extension; the
    // total size in bytes of the pictures renamed, or -1 when the folder cannot be listed.
    static qint64 RenameSlidePictures(const QString& folder, const QString& title);

private:
    // The office suite is there and the deck can be read; the title is taken from the deck.
    bool TakeDeck(const QString& deckPath);
    bool PrintToPdf(const QString& deckPath, const QString& workFolder, QString* pdfPath);
    bool cancelRequested();
    bool RenderPages(const QString& pdfPath, const QString& outputFolder, const Progress& progress);

    QString office_;
    QString title_;
    QString error_;
    qint64 totalSize_ = 0;
    int slides_ = 0;
    qint64 officeMs_ = 0;
    qint64 renderMs_ = 0;
    int timeLimitMs_ = 180000;
    CancelCheck cancelCheck_;
    bool cancelled_ = false;
};

} // namespace UICONTROL

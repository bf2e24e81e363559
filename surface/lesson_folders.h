#pragma once
// Where the pages of the open lesson are kept and what their files are called: the one rule that the store,
// the panel, the history panel and the lesson PDF all follow.
//
// A page is an objects file (".kw") with its picture (".bmp") and texts (".kwt"), all of one base name made
// from the time the page was first stored. The desktop's pages, the history, lie in "<program>/Temp"; the
// board's pages in "<program>/Temp/ZidodAvuvTemp/"; the pages of an opened PDF are board pages named
// "<base>_<n>".
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace DIALOG {

class LessonFolders {
public:
    explicit LessonFolders(const QString& programFolder);

    // "<program>/Temp", without a trailing separator: the history, and the root removed when the lesson ends.
    QString HistoryFolder() const;
    // "<program>/Temp/ZidodAvuvTemp/", with one: the board's pages.
    QString BoardFolder() const;

    // A history page's picture and objects file, by its label (its base name).
    QString HistoryPicture(const QString& label) const;
    QString HistoryObjects(const QString& label) const;
    // The label of a picture in the history folder itself; empty for any other file.
    QString HistoryLabelOf(const QString& picture) const;
    // The journal of the open page, and the marker that says whether the lesson is running, with its lock.
    QString JournalFile() const;
    QString SessionMarker() const;
    QString SessionLock() const;

private:
    QString history_;
};

// The extensions of a page's files, the objects file first.
const QStringList& PageFileExtensions();
// The base name of a page first stored at when: day, hour, minute and second ("8-14-5-9"), no folder.
QString PageBaseName(const QDateTime& when);
// The objects file of the n-th page (from 1) of a PDF whose pages share base (a path without extension).
QString PdfPageObjects(const QString& base, int n);
// A path of the history folder moved to the same name in the board's folder below it; a path that is in the
// board's folder already, or in no program's Temp folder, stays as it is.
QString BoardPathOf(const QString& path);
// The folder a lesson removes at its end, given the board's page folder root: the Temp folder above it.
QString ScratchRootOf(const QString& boardFolder);

} // namespace DIALOG

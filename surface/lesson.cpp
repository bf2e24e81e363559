#include "surface/lesson.h"

#include "surface/page_format.h"

#include <QFileInfo>

#include <algorithm>

namespace DIALOG {

namespace {

bool pageFilesExist(const QString& base)
{
    // A link counts even when it leads nowhere: a page written through it would land wherever it points.
    for (const QString& extension : PageFileExtensions()) {
        const QFileInfo file(base + u'.' + extension);
        if (file.exists() || file.isSymLink())
            return true;
    }
    return false;
}

} // namespace

int PageFileList::IndexOf(const QString& path) const
{
    for (int i = 0; i < files.size(); ++i) {
        if (files.at(i).compare(path, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

PagePosition BoardPagePosition(const PageFileList& pages)
{
    const int number = std::max(1, pages.currentPage + 1);
    return {number, std::max(number, int(pages.files.size()))};
}

Lesson::Lesson(const QString& programFolder)
    : folders_(programFolder)
    , boardFolder_(folders_.BoardFolder())
{
}

QString Lesson::NewBoardPagePlaceholder(const QDateTime& when) const
{
    return boardFolder_ + PageBaseName(when) + QStringLiteral(".xxx");
}

QString Lesson::entryAt(int index) const
{
    const QStringList& files = boardPages_.files;
    return index >= 0 && index < files.size() ? files.at(index) : QString();
}

QString Lesson::CurrentPageFile() const
{
    return entryAt(boardPages_.currentPage);
}

QString Lesson::PreviousPageFile() const
{
    return entryAt(boardPages_.currentPage - 1);
}

QString Lesson::NextPageFile() const
{
    return entryAt(boardPages_.currentPage + 1);
}

QString Lesson::OpenBoardPagePath(const QDateTime& when) const
{
    return BoardPageStoredBefore() ? CurrentPageFile() : NewBoardPagePlaceholder(when);
}

bool Lesson::BoardPageStoredBefore() const
{
    return boardPages_.currentPage >= 0 && boardPages_.currentPage < boardPages_.files.size();
}

QString Lesson::BoardObjectFileFor(const QString& path) const
{
    if (BoardPageStoredBefore())
        return boardPages_.files.at(boardPages_.currentPage);
    return UnusedPageBase(WithExtension(BoardPathOf(path), QString())) + QStringLiteral(".kw");
}

void Lesson::MoveToNewPage()
{
    boardPages_.currentPage = int(boardPages_.files.size());
}

void Lesson::NoteStored(const QString& objectFile, bool boardPage)
{
    if (boardPage) {
        if (boardPages_.IndexOf(objectFile) < 0)
            boardPages_.files.append(objectFile);
        boardPages_.currentPage = boardPages_.IndexOf(objectFile);
    }
    lastStoredPage_ = objectFile;
    pages_.pageChanged = false;
    // Stored, the page's changes are in its files: the journal starts again from them.
    JournalBegin(objectFile, WithExtension(objectFile, QStringLiteral("bmp")));
}

void Lesson::StartJournal(const QString& path, std::function<void(bool trouble)> diskTrouble)
{
    journal_ = std::make_unique<PageJournal>(path, std::move(diskTrouble));
    JournalBegin(QString(), QString());
}

void Lesson::StopJournal()
{
    journal_.reset();
}

void Lesson::JournalBegin(const QString& pageFile, const QString& picture)
{
    if (!journal_)
        return;
    JournalRecord begin;
    begin.kind = JournalRecord::Begin;
    begin.pageFile = pageFile;
    begin.picture = picture;
    begin.boardMode = boardMode_;
    {
        std::lock_guard guard(pages_.Lock());
        shadow_.Reset(pages_.nodes);
    }
    journal_->Restart(begin);
}

void Lesson::JournalChanges()
{
    if (!journal_)
        return;
    std::vector<JournalRecord> changes;
    {
        std::lock_guard guard(pages_.Lock());
        changes = shadow_.Changes(pages_.nodes);
    }
    if (!changes.empty())
        journal_->Append(std::move(changes));
}

void Lesson::JournalBackground(const QString& picture, COLORREF colour)
{
    if (!journal_)
        return;
    JournalRecord record;
    record.kind = JournalRecord::Background;
    record.picture = picture;
    record.colour = colour;
    std::vector<JournalRecord> records;
    records.push_back(std::move(record));
    journal_->Append(std::move(records));
}

QString Lesson::UnusedPageBase(const QString& base) const
{
    const auto taken = [&](const QString& candidate) {
        return boardPages_.IndexOf(candidate + QStringLiteral(".kw")) >= 0 || pageFilesExist(candidate);
    };
    if (!taken(base))
        return base;
    for (int n = 2;; ++n) {
        const QString candidate = base + QStringLiteral("-%1").arg(n);
        if (!taken(candidate))
            return candidate;
    }
}

QString Lesson::NewPdfBase(const QDateTime& when) const
{
    const QString stem = boardFolder_ + PageBaseName(when);
    const auto free = [&](const QString& base) {
        const QString first = PdfPageObjects(base, 1);
        return boardPages_.IndexOf(first) < 0 && !QFileInfo::exists(first)
            && !QFileInfo::exists(base + QStringLiteral("_1.bmp"));
    };
    QString base = UnusedPageBase(stem);
    for (int n = 2; !free(base); ++n)
        base = UnusedPageBase(stem + QStringLiteral("-%1").arg(n));
    return base;
}

void Lesson::Reset()
{
    pages_.Clear();
    pages_.pageChanged = false;
    pen_ = PenState();
    boardPages_ = PageFileList();
    sharedPen_ = PanelPen();
    lastStoredPage_.clear();
    boardMode_ = kBoardDesktop;
}

} // namespace DIALOG

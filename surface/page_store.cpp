#include "surface/page_store.h"

namespace DIALOG {

PageFileList& ThePageFileList()
{
    static PageFileList list;
    return list;
}

namespace {
QString entryAt(int index)
{
    const QStringList& files = ThePageFileList().files;
    return index >= 0 && index < files.size() ? files.at(index) : QString();
}
} // namespace

QString CurrentPageFile()
{
    return entryAt(ThePageFileList().currentPage);
}

QString PreviousPageFile()
{
    return entryAt(ThePageFileList().currentPage - 1);
}

QString NextPageFile()
{
    return entryAt(ThePageFileList().currentPage + 1);
}

BOOL SavePage(CScreenPenWnd*, const QString&)
{
    return 0;
}

BOOL LoadPage(const QString&)
{
    return 0;
}

// Until pages are stored the list stays empty, so there is no page to go to in either direction.
void PreviousPage(CScreenPenWnd*)
{
}

void NextPage(CScreenPenWnd*)
{
}

} // namespace DIALOG

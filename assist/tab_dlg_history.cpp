// The history page of the resource and history panel: the pages written so far as thumbnails, opening one,
// the previous page of the main panel, and the commands below the list (add a picture, delete, save).
#include "assist/tab_dlg.h"

#include "assist/bmp_dialog.h"
#include "assist/tab_dlg_messages.h"
#include "assist/tab_dlg_model.h"
#include "platform/image_file.h"
#include "platform/message_box.h"
#include "support/language.h"

#include <QDir>
#include <QIcon>
#include <QListWidget>
#include <QPixmap>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace DIALOG {

using namespace tab;

QIcon CTabDlg::historyIcon(const QImage& page) const
{
    // The whole page goes into the thumbnail image, which is 20 narrower than the thumbnail.
    const QImage thumb
        = page.scaled(historyList_->iconSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
              .convertToFormat(QImage::Format_RGB888);
    return QIcon(QPixmap::fromImage(thumb));
}

void CTabDlg::AddBitmap(const QString& path, const QString& /*name*/)
{
    if (!historyList_)
        return;
    // The page picture named by the store, read at thumbnail size and only from a regular file.
    const QImage image = platform::readImageFile(path, historyList_->iconSize(), Qt::IgnoreAspectRatio);
    if (image.isNull())
        return;
    auto* item = new QListWidgetItem(historyIcon(image), historyLabel(path));
    historyList_->addItem(item);
    if (selectNextAdded_) {
        historyList_->clearSelection();
        historyList_->setCurrentItem(item);
        item->setSelected(true);
        selectNextAdded_ = false;
    }
}

void CTabDlg::SetHistoryPicture(const QString& label, const QImage& page)
{
    if (!historyList_ || page.isNull())
        return;
    for (int i = historyList_->count() - 1; i >= 0; --i) {
        if (historyList_->item(i)->text() == label) {
            historyList_->item(i)->setIcon(historyIcon(page));
            return;
        }
    }
}

QString CTabDlg::historyPicturePath(const QString& label) const
{
    return tempFolder_ + u'/' + label + u".bmp"_s;
}

void CTabDlg::OnNMClickListHistory()
{
    const QList<QListWidgetItem*> selected = historyList_->selectedItems();
    if (selected.size() != 1)
        return;
    const QString path = historyPicturePath(selected.first()->text());
    // A page whose picture has gone cannot be shown: the surface is left as it is.
    if (!platform::isRegularFile(path))
        return;
    send(kMsgDeleteSurface, nullptr);
    send(kMsgOpenBackground, &path);
}

void CTabDlg::OnBnClickedHistoryAddpic()
{
    const QString current = QDir::currentPath();
    const QString path = CBmpDialog::getOpenFileName(window(), current + u"/Save"_s);
    QDir::setCurrent(current);
    // Cancel leaves the open page as it is; a chosen set replaces it, once the owner has stored it.
    if (path.isEmpty())
        return;
    send(kMsgDeleteSurface, nullptr);
    // Only a page added in answer is selected, not one stored later when the picture could not be added.
    selectNextAdded_ = true;
    send(kMsgOpenPageSet, &path);
    selectNextAdded_ = false;
}

void CTabDlg::OnBnClickedHistoryDeleteall()
{
    if (!historyList_)
        return;
    const int answer = platform::MessageBox(window(), GetConfigString(u"是否要删除全部记录?"_s),
        GetConfigString(u"删除提示"_s), platform::MB_YESNO | platform::MB_ICONWARNING);
    if (answer == platform::IDNO)
        return;
    QList<int> rows;
    for (const QListWidgetItem* item : historyList_->selectedItems())
        rows << historyList_->row(item);
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows) {
        delete historyList_->takeItem(row);
        send(kMsgDeleteSurface, nullptr);
    }
    historyList_->clear();
}

void CTabDlg::OnBnClickedHistorySave()
{
    if (!historyList_)
        return;
    send(kMsgDeleteSurface, nullptr);
    const QString saveFolder = QDir::currentPath() + u"/Save"_s;
    for (const QListWidgetItem* item : historyList_->selectedItems())
        saveHistoryPage(tempFolder_, item->text(), saveFolder);
}

void CTabDlg::DeleteItem(int index)
{
    if (!historyList_ || index < 0 || index >= historyList_->count())
        return;
    delete historyList_->takeItem(index);
    send(kMsgDeleteSurface, nullptr);
}

QString CTabDlg::SelectPreviousHistoryPage()
{
    if (!historyList_ || historyList_->count() == 0)
        return {};
    const int mark = historyList_->currentRow();
    const int row = mark <= 0 ? historyList_->count() - 1 : mark - 1;
    historyList_->clearSelection();
    historyList_->setCurrentRow(row);
    historyList_->item(row)->setSelected(true);
    return historyPicturePath(historyList_->item(row)->text());
}

QStringList CTabDlg::HistoryLabels() const
{
    QStringList labels;
    for (int row = 0; historyList_ && row < historyList_->count(); ++row)
        labels << historyList_->item(row)->text();
    return labels;
}

QString CTabDlg::SelectedHistoryLabel() const
{
    if (!historyList_)
        return {};
    for (int row = 0; row < historyList_->count(); ++row) {
        if (historyList_->item(row)->isSelected())
            return historyList_->item(row)->text();
    }
    return {};
}

void CTabDlg::OnHistoryDeletePages()
{
    // Asked once: a second Delete while the question is open asks nothing more.
    if (!historyList_ || deleteAsked_)
        return;
    QList<int> rows;
    for (const QListWidgetItem* item : historyList_->selectedItems())
        rows << historyList_->row(item);
    if (rows.isEmpty())
        return;
    deleteAsked_ = true;
    const int answer = platform::MessageBox(window(), GetConfigString(u"是否要删除选中的页面?"_s),
        GetConfigString(u"删除提示"_s), platform::MB_YESNO | platform::MB_ICONWARNING);
    deleteAsked_ = false;
    if (answer != platform::IDYES)
        return;
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows)
        DeleteItem(row);
}

} // namespace DIALOG

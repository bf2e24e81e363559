// The resource and history panel without a display: what its lists show and what each click, command and
// method tells the owner.
#include "assist/tab_dlg_fixture.h"

#include "platform/shell.h"

#include <QGuiApplication>
#include <QScreen>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace DIALOG::tab;
using namespace qmtest;

namespace {

QSize screenSize()
{
    return QGuiApplication::primaryScreen()->geometry().size();
}

} // namespace

TEST_F(TabDlgTest, AddBitmapLabelsWithTheFileTitleAndShowsTheWholePageAtThumbnailSize)
{
    const int width = dlg_->window()->width();
    const QSize icon(width - 95, (width - 75) * screenSize().height() / screenSize().width());
    EXPECT_EQ(history_->iconSize(), icon);

    QImage page(800, 600, QImage::Format_RGB32);
    page.fill(Qt::red);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 720; x < page.width(); ++x)
            page.setPixelColor(x, y, Qt::blue);
    }
    ASSERT_TRUE(page.save(dir_.filePath(u"12-9-30-5.bmp"_s), "BMP"));
    writePicture(dir_.filePath(u"page.old.bmp"_s));
    dlg_->AddBitmap(dir_.filePath(u"12-9-30-5.bmp"_s), u"ignored"_s);
    dlg_->AddBitmap(dir_.filePath(u"page.old.bmp"_s), QString());
    ASSERT_EQ(history_->count(), 2);
    EXPECT_EQ(history_->item(0)->text(), u"12-9-30-5"_s);
    EXPECT_EQ(history_->item(1)->text(), u"page"_s);
    EXPECT_EQ(history_->item(0)->icon().availableSizes(), QList<QSize>({icon}));
    // The thumbnail's right edge is the picture's, not cut off.
    const QImage thumb = history_->item(0)->icon().pixmap(icon).toImage();
    EXPECT_EQ(thumb.pixelColor(icon.width() - 1, icon.height() / 2), QColor(Qt::blue));
    EXPECT_EQ(thumb.pixelColor(0, icon.height() / 2), QColor(Qt::red));
    EXPECT_TRUE(history_->selectedItems().isEmpty());
}

TEST_F(TabDlgTest, AddBitmapOfAMissingOrBrokenPictureAddsNothing)
{
    qmtest::writeFile(dir_.filePath(u"broken.bmp"_s), "BMnot a picture");
    dlg_->AddBitmap(dir_.filePath(u"missing.bmp"_s), QString());
    dlg_->AddBitmap(dir_.filePath(u"broken.bmp"_s), QString());
    EXPECT_EQ(history_->count(), 0);
}

TEST_F(TabDlgTest, AddPictureSelectsOnlyThePageAddedInAnswer)
{
    writePicture(dir_.filePath(u"first.bmp"_s));
    writePicture(dir_.filePath(u"Save/chosen.bmp"_s));
    writePicture(dir_.filePath(u"later.bmp"_s));
    dlg_->AddBitmap(dir_.filePath(u"first.bmp"_s), QString());
    history_->item(0)->setSelected(true);

    QString title, folder;
    CBmpDialog::setHook([&](const QString& t, const QString& f) {
        title = t;
        folder = f;
        QDir::setCurrent(QDir::tempPath()); // as a file dialog may
        return dir_.filePath(u"Save/chosen.bmp"_s);
    });
    dlg_->OnBnClickedHistoryAddpic();
    EXPECT_EQ(title, u"打开图片文件"_s);
    EXPECT_EQ(folder, dir_.path() + u"/Save"_s);
    EXPECT_EQ(QDir::currentPath(), dir_.path());
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface, kMsgOpenPageSet}));
    EXPECT_EQ(sent_[1].text, dir_.filePath(u"Save/chosen.bmp"_s));

    ASSERT_EQ(history_->count(), 2);
    ASSERT_EQ(history_->selectedItems().size(), 1);
    EXPECT_EQ(history_->selectedItems().first()->text(), u"chosen"_s);

    dlg_->AddBitmap(dir_.filePath(u"later.bmp"_s), QString());
    ASSERT_EQ(history_->selectedItems().size(), 1);
    EXPECT_EQ(history_->selectedItems().first()->text(), u"chosen"_s);
}

TEST_F(TabDlgTest, CancelledAddPictureLeavesTheNextPageUnselected)
{
    writePicture(dir_.filePath(u"later.bmp"_s));
    CBmpDialog::setHook([](const QString&, const QString&) { return QString(); });
    dlg_->OnBnClickedHistoryAddpic();
    EXPECT_TRUE(messages().empty()) << "Cancel leaves the open page alone";
    dlg_->AddBitmap(dir_.filePath(u"later.bmp"_s), QString());
    EXPECT_TRUE(history_->selectedItems().isEmpty());
}

TEST_F(TabDlgTest, HistoryClickOnOnePageOpensItsPicture)
{
    const QString picture = historyPage(u"qmtest-click-one"_s);
    dlg_->AddBitmap(picture, QString());
    dlg_->window()->show();
    click(history_, history_->visualItemRect(history_->item(0)).center());
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface, kMsgOpenBackground}));
    EXPECT_EQ(sent_[0].wParam, 0u);
    EXPECT_EQ(sent_[1].text, picture);
    EXPECT_EQ(sent_[1].lParam, 0);
}

TEST_F(TabDlgTest, HistoryClickWithTwoPagesSelectedSendsNothing)
{
    dlg_->AddBitmap(historyPage(u"qmtest-two-a"_s), QString());
    dlg_->AddBitmap(historyPage(u"qmtest-two-b"_s), QString());
    dlg_->window()->show();
    click(history_, history_->visualItemRect(history_->item(0)).center());
    sent_.clear();
    click(history_, history_->visualItemRect(history_->item(1)).center(), Qt::ShiftModifier);
    EXPECT_EQ(history_->selectedItems().size(), 2);
    EXPECT_TRUE(sent_.empty());
}

TEST_F(TabDlgTest, HistoryClickOnAPageWhosePictureIsGoneSendsNothing)
{
    const QString picture = historyPage(u"qmtest-gone"_s);
    dlg_->AddBitmap(picture, QString());
    QFile::remove(picture);
    dlg_->window()->show();
    click(history_, history_->visualItemRect(history_->item(0)).center());
    EXPECT_EQ(history_->selectedItems().size(), 1);
    EXPECT_TRUE(sent_.empty());
}

TEST_F(TabDlgTest, DeleteItemRemovesOnePageAndIgnoresIndexesOutsideTheList)
{
    dlg_->AddBitmap(historyPage(u"qmtest-del-a"_s), QString());
    dlg_->AddBitmap(historyPage(u"qmtest-del-b"_s), QString());
    dlg_->DeleteItem(-1);
    dlg_->DeleteItem(2);
    EXPECT_TRUE(sent_.empty());
    EXPECT_EQ(history_->count(), 2);
    dlg_->DeleteItem(0);
    EXPECT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface}));
    ASSERT_EQ(history_->count(), 1);
    EXPECT_EQ(history_->item(0)->text(), u"qmtest-del-b"_s);
}

TEST_F(TabDlgTest, ChangePathNameAndDeleteScreenWndTellTheOwner)
{
    dlg_->ChangePathName(u"/pages/1-2-3-4.bmp"_s);
    dlg_->DeleteScreenWnd();
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface, kMsgOpenBackground, kMsgDeleteSurface}));
    EXPECT_EQ(sent_[1].text, u"/pages/1-2-3-4.bmp"_s);
}

TEST_F(TabDlgTest, DeleteAllAsksAndClearsOnlyWhenNotDeclined)
{
    for (const QString& label : {u"qmtest-all-a"_s, u"qmtest-all-b"_s, u"qmtest-all-c"_s})
        dlg_->AddBitmap(historyPage(label), QString());
    history_->item(1)->setSelected(true);
    std::vector<platform::MessageBoxRequest> asked;
    int answer = platform::IDNO;
    platform::setMessageBoxHook([&](const platform::MessageBoxRequest& request) {
        asked.push_back(request);
        return answer;
    });
    dlg_->OnBnClickedHistoryDeleteall();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, u"是否要删除全部记录?"_s);
    EXPECT_EQ(asked[0].caption, u"删除提示"_s);
    EXPECT_EQ(asked[0].type, platform::MB_YESNO | platform::MB_ICONWARNING);
    EXPECT_EQ(history_->count(), 3);
    EXPECT_TRUE(sent_.empty());

    answer = platform::IDYES;
    dlg_->OnBnClickedHistoryDeleteall();
    EXPECT_EQ(history_->count(), 0);
    EXPECT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface}));
    EXPECT_TRUE(QFileInfo::exists(dlg_->tempFolder() + u"/qmtest-all-b.bmp"_s));
}

TEST_F(TabDlgTest, SaveCopiesTheSelectedPagesFilesIntoSave)
{
    dlg_->AddBitmap(historyPage(u"qmtest-save-a"_s), QString());
    dlg_->AddBitmap(historyPage(u"qmtest-save-b"_s), QString());
    QFile::remove(dlg_->tempFolder() + u"/qmtest-save-b.kwt"_s);
    dlg_->AddBitmap(historyPage(u"qmtest-save-c"_s), QString());
    qmtest::writeFile(dir_.filePath(u"Save/qmtest-save-a.kw"_s), "older page");
    history_->item(0)->setSelected(true);
    history_->item(1)->setSelected(true);

    dlg_->OnBnClickedHistorySave();
    EXPECT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface}));
    const QString temp = dlg_->tempFolder();
    for (const QString& name : {u"qmtest-save-a.bmp"_s, u"qmtest-save-a.kw"_s, u"qmtest-save-a.kwt"_s,
             u"qmtest-save-b.bmp"_s, u"qmtest-save-b.kw"_s}) {
        EXPECT_EQ(qmtest::readFile(dir_.filePath(u"Save/"_s + name)), qmtest::readFile(temp + u'/' + name))
            << name.toStdString();
    }
    EXPECT_EQ(QDir(dir_.filePath(u"Save"_s)).entryList(QDir::Files).size(), 5);
}

TEST_F(TabDlgTest, ImportSendsTheChosenFolder)
{
    QString title, start;
    CTabDlg::setFolderChooserHook([&](const QString& t, const QString& s) {
        title = t;
        start = s;
        return u"/saved/history"_s;
    });
    dlg_->OnBnClickedHistoryDeletepage();
    EXPECT_EQ(title, u"历史信息导入: "_s);
    EXPECT_EQ(start, platform::programFolder());
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface, kMsgOpenPageFolder}));
    EXPECT_EQ(sent_[1].text, u"/saved/history"_s);

    sent_.clear();
    CTabDlg::setFolderChooserHook([](const QString&, const QString&) { return QString(); });
    dlg_->OnBnClickedHistoryDeletepage();
    EXPECT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface}));
}

TEST_F(TabDlgTest, PreviousPageWrapsToTheLastAndStoringFindsTheSelection)
{
    EXPECT_TRUE(dlg_->SelectPreviousHistoryPage().isEmpty());
    for (const QString& label : {u"qmtest-prev-a"_s, u"qmtest-prev-b"_s, u"qmtest-prev-c"_s})
        dlg_->AddBitmap(historyPage(label), QString());
    EXPECT_EQ(dlg_->SelectPreviousHistoryPage(), dlg_->tempFolder() + u"/qmtest-prev-c.bmp"_s);
    EXPECT_EQ(dlg_->SelectPreviousHistoryPage(), dlg_->tempFolder() + u"/qmtest-prev-b.bmp"_s);
    dlg_->SelectPreviousHistoryPage();
    EXPECT_EQ(dlg_->SelectPreviousHistoryPage(), dlg_->tempFolder() + u"/qmtest-prev-c.bmp"_s);
    EXPECT_EQ(history_->selectedItems().size(), 1);
    EXPECT_EQ(dlg_->SelectedHistoryLabel(), u"qmtest-prev-c"_s);
    history_->clearSelection();
    EXPECT_TRUE(dlg_->SelectedHistoryLabel().isEmpty());
    history_->item(2)->setSelected(true);
    history_->item(0)->setSelected(true);
    EXPECT_EQ(dlg_->SelectedHistoryLabel(), u"qmtest-prev-a"_s);
}

TEST_F(TabDlgTest, FirstPageSetUpFillsTheViewsEvenForAnUnknownPage)
{
    writePicture(dir_.filePath(u"BackImage/sky.bmp"_s), {40, 30}, Qt::blue);
    writePicture(dir_.filePath(u"BackImage/grid.BMP"_s));
    qmtest::writeFile(dir_.filePath(u"BackImage/readme.txt"_s), "x");
    qmtest::writeFile(dir_.filePath(u"ReSource/数学/a.png"_s), "x");

    dlg_->SetMetaFileTabPage(1, 3);
    EXPECT_EQ(dlg_->GetCurSel(), kPageHistory);
    EXPECT_FALSE(history_->isHidden());
    EXPECT_TRUE(backgrounds_->isHidden());
    EXPECT_EQ(dlg_->backgroundBoardMode(), 1);
    ASSERT_EQ(backgrounds_->count(), 2);
    EXPECT_EQ(backgrounds_->item(0)->text(), u"grid"_s);
    EXPECT_EQ(backgrounds_->item(1)->text(), u"sky"_s);
    const int width = dlg_->window()->width();
    const QSize work = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_EQ(backgrounds_->iconSize(), QSize(width - 95, work.height() * (width - 75) / work.width()));
    EXPECT_EQ(tree_->topLevelItemCount(), 1);

    // Later calls switch pages without filling again.
    writePicture(dir_.filePath(u"BackImage/zzz.bmp"_s));
    dlg_->SetMetaFileTabPage(0, kPageBackground);
    EXPECT_EQ(dlg_->GetCurSel(), kPageBackground);
    EXPECT_FALSE(backgrounds_->isHidden());
    EXPECT_TRUE(history_->isHidden());
    EXPECT_EQ(backgrounds_->count(), 2);
}

TEST_F(TabDlgTest, SetCurSelToAnUnknownPageComplainsAndKeepsThePage)
{
    std::vector<QString> texts;
    platform::setMessageBoxHook([&](const platform::MessageBoxRequest& request) {
        texts.push_back(request.text);
        return platform::IDOK;
    });
    dlg_->SetCurSel(kPageResource);
    dlg_->SetCurSel(7);
    EXPECT_EQ(texts, std::vector<QString>({u"程序出错"_s}));
    EXPECT_EQ(dlg_->GetCurSel(), kPageResource);
    EXPECT_FALSE(tree_->isHidden());
}

TEST_F(TabDlgTest, BackgroundClickOpensThePicture)
{
    writePicture(dir_.filePath(u"BackImage/sky.bmp"_s));
    dlg_->SetMetaFileTabPage(0, kPageBackground);
    dlg_->window()->show();
    ASSERT_EQ(backgrounds_->count(), 1);
    click(backgrounds_, backgrounds_->visualItemRect(backgrounds_->item(0)).center());
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface, kMsgOpenBackground}));
    EXPECT_EQ(sent_[1].text, dir_.filePath(u"BackImage/sky.bmp"_s));
}

TEST_F(TabDlgTest, PanelSitsLeftOfTheOwnerCentredAndRemembersTheOffset)
{
    QWidget* panel = dlg_->window();
    owner_.setGeometry(400, 300, 300, 200);
    dlg_->SetPos(0);
    EXPECT_EQ(panel->pos(), QPoint(400 - panel->width(), 300 + (200 - panel->height()) / 2));
    EXPECT_EQ(dlg_->verticalOffset(), (200 - panel->height()) / 2);
}

TEST_F(TabDlgTest, PanelGoesRightOfTheOwnerWithoutRoomAndNeverAboveTheScreen)
{
    QWidget* panel = dlg_->window();
    owner_.setGeometry(100, 50, 300, 200);
    dlg_->Resize();
    EXPECT_EQ(panel->pos(), QPoint(400, 50));
    EXPECT_EQ(dlg_->verticalOffset(), 0);
    dlg_->SetPos(0);
    EXPECT_EQ(dlg_->verticalOffset(), 0);
}

TEST_F(TabDlgTest, DeleteTempFileRemovesTheBackgroundFolder)
{
    const QString folder = dlg_->backgroundFolder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_EQ(folder, platform::templatesFolder() + u"/Temp/BackImage"_s);
    EXPECT_TRUE(QFileInfo(dlg_->historyFolder()).isDir());
    qmtest::writeFile(folder + u"/inner/a.bmp"_s, "x");
    dlg_->DeleteTempFile();
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(QFileInfo(dlg_->historyFolder()).isDir());
}

TEST_F(TabDlgTest, InsertCommandAsksTheOwnerForMedia)
{
    dlg_->OnBnClickedInsert();
    EXPECT_EQ(messages(), std::vector<UINT>({kMsgInsertChosenMedia}));
}

class ResourceTreeTest : public TabDlgTest {
protected:
    void SetUp() override
    {
        TabDlgTest::SetUp();
        qmtest::writeFile(dir_.filePath(u"ReSource/图片/a.png"_s), "x");
        QDir().mkpath(dir_.filePath(u"ReSource/视频"_s));
        qmtest::writeFile(dir_.filePath(u"ReSource/视频/剪辑/b.JPG"_s), "x");
        QDir().mkpath(dir_.filePath(u"ReSource/文档"_s));
        qmtest::writeFile(dir_.filePath(u"ReSource/版本1.0/c.bmp"_s), "x");
        qmtest::writeFile(dir_.filePath(u"ReSource/flash.swf"_s), "x");
        qmtest::writeFile(dir_.filePath(u"ReSource/notes.txt"_s), "x");
        dlg_->SetMetaFileTabPage(0, kPageResource);
        dlg_->window()->show();
    }

    QTreeWidgetItem* top(const QString& label) const
    {
        for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
            if (tree_->topLevelItem(i)->text(0) == label)
                return tree_->topLevelItem(i);
        }
        return nullptr;
    }

    void clickItem(QTreeWidgetItem* item)
    {
        ASSERT_TRUE(item);
        sent_.clear();
        click(tree_, tree_->visualItemRect(item).center());
    }

    QString resource(const QString& relative) const { return dir_.path() + u"/ReSource/"_s + relative; }
};

TEST_F(ResourceTreeTest, ListsFoldersAndFlashFilesOnly)
{
    QStringList labels;
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        labels << tree_->topLevelItem(i)->text(0);
    labels.sort();
    QStringList expected = {u"flash.swf"_s, u"图片"_s, u"文档"_s, u"版本1.0"_s, u"视频"_s};
    expected.sort();
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(top(u"图片"_s)->childCount(), 0);
    EXPECT_EQ(top(u"视频"_s)->childCount(), 1);
}

TEST_F(ResourceTreeTest, FolderWithPicturesIsAnnouncedAsPictures)
{
    clickItem(top(u"图片"_s));
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgInsertPicture}));
    EXPECT_EQ(sent_[0].wParam, kResourcePictures);
    EXPECT_EQ(sent_[0].text, resource(u"图片"_s));

    clickItem(top(u"版本1.0"_s));
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgInsertPicture}));
    EXPECT_EQ(sent_[0].text, resource(u"版本1.0"_s));
}

TEST_F(ResourceTreeTest, VideoFoldersAreAnnouncedWithOrWithoutPictures)
{
    clickItem(top(u"视频"_s));
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgInsertPicture}));
    EXPECT_EQ(sent_[0].wParam, kResourceVideo);
    EXPECT_EQ(sent_[0].text, resource(u"视频"_s));

    top(u"视频"_s)->setExpanded(true);
    clickItem(top(u"视频"_s)->child(0));
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgInsertPicture}));
    EXPECT_EQ(sent_[0].wParam, kResourceVideo);
    EXPECT_EQ(sent_[0].text, resource(u"视频/剪辑"_s));
}

TEST_F(ResourceTreeTest, OtherFolderWithoutPicturesSendsNothing)
{
    clickItem(top(u"文档"_s));
    EXPECT_TRUE(sent_.empty());
}

TEST_F(ResourceTreeTest, FlashFileIsInsertedAsMedia)
{
    clickItem(top(u"flash.swf"_s));
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgInsertMedia}));
    EXPECT_EQ(sent_[0].wParam, 0u);
    EXPECT_EQ(sent_[0].text, resource(u"flash.swf"_s));
}

TEST_F(ResourceTreeTest, ClickOnEmptySpaceIsAMiss)
{
    click(tree_, QPoint(5, tree_->viewport()->height() - 5));
    ASSERT_EQ(messages(), std::vector<UINT>({kMsgInsertPicture}));
    EXPECT_EQ(sent_[0].wParam, kResourceMissed);
    EXPECT_EQ(sent_[0].lParam, 0);
}

TEST_F(ResourceTreeTest, ClickOnTheExpandButtonChoosesNothing)
{
    const QRect row = tree_->visualItemRect(top(u"视频"_s));
    click(tree_, QPoint(row.left() - 5, row.center().y()));
    EXPECT_TRUE(sent_.empty());
}

TEST_F(TabDlgTest, HistoryPictureReplacesTheThumbnailOfItsPage)
{
    const QString path = dir_.filePath(QStringLiteral("3-4-5-6.bmp"));
    QImage white(192, 108, QImage::Format_RGB32);
    white.fill(Qt::white);
    ASSERT_TRUE(white.save(path, "BMP"));
    dlg_->AddBitmap(path, QString());
    QImage written = white;
    written.fill(Qt::red);
    dlg_->SetHistoryPicture(QStringLiteral("3-4-5-6"), written);
    dlg_->SetHistoryPicture(QStringLiteral("no-such-page"), white);
    ASSERT_EQ(history_->count(), 1);
    const QImage icon = history_->item(0)->icon().pixmap(history_->iconSize()).toImage();
    EXPECT_EQ(QColor(icon.pixel(icon.width() / 2, icon.height() / 2)), QColor(Qt::red));
}

TEST_F(TabDlgTest, PipesNamedLikePicturesAreSkippedInsteadOfBlockingThePanel)
{
    // A pipe blocks open() until someone writes to it; a page folder or the backgrounds can hold one.
    const QString pipe = dir_.filePath(u"page.bmp"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    dlg_->AddBitmap(pipe, QString());
    EXPECT_EQ(history_->count(), 0);

    QDir().mkpath(dir_.filePath(u"BackImage"_s));
    writePicture(dir_.filePath(u"BackImage/a.bmp"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir_.filePath(u"BackImage/b.bmp"_s)).constData(), 0600), 0);
    dlg_->SetMetaFileTabPage(0, kPageBackground);
    EXPECT_EQ(backgrounds_->count(), 1);

    // A history page whose picture became a pipe opens nothing.
    const QString label = u"pipe-%1"_s.arg(QCoreApplication::applicationPid());
    const QString picture = historyPage(label);
    dlg_->AddBitmap(picture, QString());
    ASSERT_EQ(history_->count(), 1);
    QFile::remove(picture);
    ASSERT_EQ(::mkfifo(QFile::encodeName(picture).constData(), 0600), 0);
    dlg_->SetMetaFileTabPage(0, kPageHistory);
    click(history_, history_->visualItemRect(history_->item(0)).center());
    EXPECT_TRUE(messages().empty());
}

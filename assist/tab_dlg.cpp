#include "assist/tab_dlg.h"

#include "assist/bmp_dialog.h"
#include "assist/button_rows.h"
#include "assist/history_list.h"
#include "assist/tab_dlg_messages.h"
#include "assist/tab_dlg_model.h"
#include "platform/image_file.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "platform/window_flags.h"
#include "platform/work_folder.h"
#include "support/language.h"
#include "support/multi_screen.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace DIALOG {

using namespace tab;

namespace {

constexpr QColor kPanelColour(53, 86, 139);
constexpr QColor kListColour(223, 228, 239);
constexpr QSize kPanelSize(240, 560);
constexpr QSize kPanelMinimumSize(160, 240);
constexpr int kMargin = 8;
constexpr int kButtonHeight = 28;

CTabDlg::FolderChooserHook& folderChooserHook()
{
    static CTabDlg::FolderChooserHook hook;
    return hook;
}

void paintAsList(QWidget* view)
{
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, kListColour);
    palette.setColor(QPalette::Window, kListColour);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::black);
    view->setPalette(palette);
    view->setAutoFillBackground(true);
}

QSize primaryScreenSize(bool workArea)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return workArea ? screen->availableGeometry().size() : screen->geometry().size();
}

class ClickTree : public QTreeWidget {
public:
    std::function<void(const QPoint&)> onClick;

    using QTreeWidget::QTreeWidget;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QTreeWidget::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && onClick)
            onClick(event->position().toPoint());
    }
};

// A font given as a cell height and an average character width (0: the font's own), as the tree's font has
// always been specified.
QFont cellFont(QFont font, int cellHeight, int averageWidth)
{
    font.setWeight(QFont::Normal);
    font.setPixelSize(cellHeight);
    const QFontMetrics metrics(font);
    if (metrics.height() > 0)
        font.setPixelSize(qMax(1, cellHeight * cellHeight / metrics.height()));
    const int natural = QFontMetrics(font).averageCharWidth();
    if (averageWidth > 0 && natural > 0)
        font.setStretch(qBound(1, averageWidth * 100 / natural, 4000));
    return font;
}

QPushButton* commandButton(QWidget* parent, const QString& key, const QString& objectName)
{
    auto* button = new QPushButton(GetConfigString(key), parent);
    button->setObjectName(objectName);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

// The panel's window: a tool window that never takes the keyboard focus from what is presented under it.
class CTabDlgWindow : public QWidget {
public:
    CTabDlgWindow(CTabDlg* dlg, QWidget* owner)
        : QWidget(owner, platform::kFloatingToolFlags)
        , dlg_(dlg)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFocusPolicy(Qt::NoFocus);
        setMinimumSize(kPanelMinimumSize);
        resize(kPanelSize);
        setWindowOpacity(1.0);
        setWindowTitle(u"CTabDlg"_s);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), kPanelColour);
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        dlg_->OnTabDlgSize();
    }

private:
    CTabDlg* dlg_;
};

CTabDlg::CTabDlg(QWidget* /*parent*/, QWidget* owner)
    : tempFolder_(platform::workFolder() + u"/Temp"_s)
    , owner_(owner)
{
    // Without a templates folder the panel keeps no folders there: an empty base would put them at the root.
    const QString scratch = platform::shortPath(platform::templatesScratchFolder());
    if (!scratch.isEmpty()) {
        historyFolder_ = scratch;
        if (platform::makeScratchFolder(scratch + u"/BackImage"_s))
            backgroundFolder_ = scratch + u"/BackImage"_s;
    }
}

CTabDlg::~CTabDlg()
{
    delete window_.data();
}

void CTabDlg::setFolderChooserHook(FolderChooserHook hook)
{
    folderChooserHook() = std::move(hook);
}

void CTabDlg::CreateWnd()
{
    if (window_)
        return;
    window_ = new CTabDlgWindow(this, owner_);
    OnInitDialog();
}

QWidget* CTabDlg::window() const
{
    return window_;
}

void CTabDlg::OnInitDialog()
{
    QWidget* w = window_;
    hideBar_ = new QPushButton(w);
    hideBar_->setObjectName(QString::number(kIdHideBar));
    hideBar_->setFocusPolicy(Qt::NoFocus);
    hideBar_->hide();
    QObject::connect(hideBar_, &QPushButton::clicked, w, [w] { w->hide(); });

    // Each page carries the word of the panel's button that opens it.
    const QString names[3]
        = {GetConfigString(u"历史"_s), GetConfigString(u"背景"_s), GetConfigString(u"素材"_s)};
    const int ids[3] = {kIdPageHistory, kIdPageBackground, kIdPageResource};
    for (int page = 0; page < 3; ++page) {
        QPushButton* button = pageButtons_[page] = new QPushButton(names[page], w);
        button->setObjectName(QString::number(ids[page]));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        QObject::connect(button, &QPushButton::clicked, w, [this, page] { SetCurSel(page); });
    }

    frame_ = new QWidget(w);
    frame_->setObjectName(QString::number(kIdPageFrame));
    createLists(w);
    createCommandRows(w);
    OnTabDlgSize();
    OnTcnSelchangeTab();
}

void CTabDlg::createLists(QWidget* w)
{
    auto* history = new HistoryList(w);
    history->setObjectName(QString::number(kIdHistoryList));
    history->onClick = [this](const QPoint&) { OnNMClickListHistory(); };
    history->onDelete = [this] { OnHistoryDeletePages(); };
    historyList_ = history;
    InitHisTree();

    auto* backgrounds = new ClickList(w);
    backgrounds->setObjectName(QString::number(kIdBackgroundList));
    backgrounds->onClick = [this, backgrounds](const QPoint& pos) {
        const QListWidgetItem* item = backgrounds->itemAt(pos);
        if (item)
            OnNMClickListViewimage(backgrounds->row(item));
    };
    backgroundList_ = backgrounds;
    backgroundList_->setViewMode(QListView::IconMode);
    backgroundList_->setMovement(QListView::Static);
    backgroundList_->setResizeMode(QListView::Adjust);
    backgroundList_->setSelectionMode(QAbstractItemView::SingleSelection);
    backgroundList_->setFocusPolicy(Qt::NoFocus);
    paintAsList(backgroundList_);
    backgroundList_->hide();

    auto* tree = new ClickTree(w);
    tree->setObjectName(QString::number(kIdResourceTree));
    tree->onClick = [this](const QPoint& pos) { OnNMClickTree(pos); };
    tree_ = tree;
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setFocusPolicy(Qt::NoFocus);
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tree_->resize(100, 100);
    tree_->show();
}

void CTabDlg::createCommandRows(QWidget* w)
{
    historyCommands_ = new QWidget(w);
    auto* historyRow = new CButtonRowLayout(historyCommands_, kButtonHeight);
    historyRow->setContentsMargins(0, 0, 0, 0);
    historyRow->setSpacing(2);
    struct Command {
        QString key;
        QString objectName;
        void (CTabDlg::*handler)();
    };
    const Command commands[] = {
        {u"添加图片"_s, u"historyAddPicture"_s, &CTabDlg::OnBnClickedHistoryAddpic},
        {u"全部删除"_s, u"historyDeleteAll"_s, &CTabDlg::OnBnClickedHistoryDeleteall},
        {u"导入"_s, u"historyImport"_s, &CTabDlg::OnBnClickedHistoryDeletepage},
        {u"保存"_s, u"historySave"_s, &CTabDlg::OnBnClickedHistorySave},
    };
    for (const Command& command : commands) {
        QPushButton* button = commandButton(historyCommands_, command.key, command.objectName);
        const auto handler = command.handler;
        historyRow->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, w, [this, handler] { (this->*handler)(); });
    }
    // PDFs, slide decks and kept lessons open as board pages from one more button, with its own short menu.
    QPushButton* lesson = commandButton(historyCommands_, u"PDF"_s, u"historyLesson"_s);
    auto* lessonMenu = new QMenu(lesson);
    lessonMenu->addAction(GetConfigString(u"打开PDF或幻灯片"_s), w, [this] { OnBnClickedOpenLessonFile(); })
        ->setObjectName(u"historyOpenLessonFile"_s);
    lessonMenu->addAction(GetConfigString(u"打开保存的课"_s), w, [this] { OnBnClickedOpenKeptLesson(); })
        ->setObjectName(u"historyOpenKeptLesson"_s);
    lesson->setMenu(lessonMenu);
    lesson->setToolTip(GetConfigString(u"打开PDF或幻灯片"_s));
    historyRow->addWidget(lesson);

    resourceCommands_ = new QWidget(w);
    auto* resourceRow = new QHBoxLayout(resourceCommands_);
    resourceRow->setContentsMargins(0, 0, 0, 0);
    QPushButton* insert = commandButton(resourceCommands_, u"插入"_s, QString::number(kIdInsert));
    resourceRow->addWidget(insert);
    QObject::connect(insert, &QPushButton::clicked, w, [this] { OnBnClickedInsert(); });
}

void CTabDlg::InitHisTree()
{
    if (!historyList_ || !window_)
        return;
    historyThumbnail_ = historyThumbnailSize(window_->width(), primaryScreenSize(false));
    historyList_->setViewMode(QListView::IconMode);
    historyList_->setMovement(QListView::Static);
    historyList_->setResizeMode(QListView::Adjust);
    historyList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    historyList_->setIconSize(historyIconSize(window_->width(), primaryScreenSize(false)));
    historyList_->setFocusPolicy(Qt::NoFocus);
    paintAsList(historyList_);
}

void CTabDlg::OnInitListCtrl()
{
    if (!backgroundList_ || !window_)
        return;
    backgroundList_->setIconSize(backgroundThumbnailSize(window_->width(), primaryScreenSize(true)));
    AddBookBack();
}

void CTabDlg::AddBookBack()
{
    const QSize size = backgroundList_->iconSize();
    for (const QString& path : backgroundPictures(QDir::currentPath() + u"/BackImage"_s)) {
        const QImage image = platform::readImageFile(path, size, Qt::IgnoreAspectRatio);
        if (image.isNull())
            continue;
        // The background thumbnails have always been 16-bit pictures.
        const QImage thumb = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_RGB16);
        backgroundList_->addItem(
            new QListWidgetItem(QIcon(QPixmap::fromImage(thumb)), backgroundLabel(path)));
        backgroundPaths_ << path;
    }
}

void CTabDlg::OnInitTreeCtrl()
{
    if (!tree_)
        return;
    tree_->setFont(cellFont(tree_->font(), IsEnglish() ? 20 : 28, IsEnglish() ? 0 : 9));
    paintAsList(tree_);
    tree_->clear();
    AddFileToTree(QDir::currentPath() + u"/ReSource"_s, nullptr);
}

void CTabDlg::AddFileToTree(const QString& folder, QTreeWidgetItem* parent)
{
    if (!tree_)
        return;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& info : entries) {
        // A linked folder may lead back up the tree; following it would never end.
        if (info.isDir() && info.isSymLink())
            continue;
        if (!info.isDir() && !isFlashFile(info.fileName()))
            continue;
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
        item->setText(0, info.fileName());
        item->setData(0, Qt::UserRole, kResourceItemData);
        item->setData(0, Qt::UserRole + 1, info.isDir());
        if (info.isDir())
            AddFileToTree(info.absoluteFilePath(), item);
    }
}

void CTabDlg::SetMetaFileTabPage(int boardMode, int page)
{
    if (!viewsFilled_ && window_) {
        viewsFilled_ = true;
        OnInitListCtrl();
        OnInitTreeCtrl();
    }
    backgroundBoardMode_ = boardMode;
    if (page < kPageHistory || page > kPageResource)
        return;
    currentPage_ = page;
    OnTcnSelchangeTab();
}

void CTabDlg::OnTcnSelchangeTab()
{
    showPage(currentPage_);
}

bool CTabDlg::showPage(int page)
{
    if (!window_)
        return false;
    if (page < kPageHistory || page > kPageResource) {
        platform::MessageBox(
            window_, GetConfigString(u"程序出错"_s), IsEnglish() ? u"Tips"_s : u"提示"_s, platform::MB_OK);
        return false;
    }
    const QRect frame = frame_->geometry();
    frame_->hide();
    hideBar_->setGeometry(frame.left() - 48, frame.bottom() + 1, frame.width() + 50, 10);
    QWidget* pages[3] = {historyList_, backgroundList_, tree_};
    for (int shown = 0; shown < 3; ++shown) {
        pages[shown]->setVisible(shown == page);
        pageButtons_[shown]->setChecked(shown == page);
    }
    pages[page]->setGeometry(frame);
    historyCommands_->setVisible(page == kPageHistory);
    resourceCommands_->setVisible(page == kPageResource);
    return true;
}

void CTabDlg::OnTabDlgSize()
{
    if (!frame_)
        return;
    const int width = window_->width();
    const int height = window_->height();
    const int buttonWidth = (width - 2 * kMargin) / 3;
    for (int page = 0; page < 3; ++page)
        pageButtons_[page]->setGeometry(kMargin + page * buttonWidth, kMargin, buttonWidth, kButtonHeight);
    const int top = 2 * kMargin + kButtonHeight;
    // The history's commands take a second row when their labels need it.
    const int commandsHeight
        = qMax(kButtonHeight, historyCommands_->layout()->heightForWidth(width - 2 * kMargin));
    const int bottom = height - 2 * kMargin - commandsHeight;
    const QRect frame(kMargin, top, width - 2 * kMargin, qMax(1, bottom - top));
    frame_->setGeometry(frame);
    for (QWidget* page : {static_cast<QWidget*>(historyList_), static_cast<QWidget*>(backgroundList_),
             static_cast<QWidget*>(tree_)})
        page->setGeometry(frame);
    const QRect commands(kMargin, bottom + kMargin, width - 2 * kMargin, commandsHeight);
    historyCommands_->setGeometry(commands);
    // The resource page's one button stays in the bottom row.
    resourceCommands_->setGeometry(commands.adjusted(0, commandsHeight - kButtonHeight, 0, 0));
}

void CTabDlg::SetPos(int /*unused*/)
{
    place(true);
}

void CTabDlg::Resize()
{
    place(false);
}

void CTabDlg::place(bool rememberOffset)
{
    if (!window_ || !owner_)
        return;
    const QRect owner = owner_->frameGeometry();
    // "No room" is measured on the owner's monitor, so that a panel on a second monitor still goes left.
    const QRect screen = CMultiScreen(owner_).GetScreenRect();
    int x = owner.left() - window_->width();
    if (x < screen.left())
        x = owner.left() + owner.width();
    int y = owner.top() + (owner.height() - window_->height()) / 2;
    if (y < screen.top())
        y = owner.top();
    window_->move(x, y);
    if (rememberOffset)
        verticalOffset_ = y - owner.top();
}

int CTabDlg::GetCurSel() const
{
    return currentPage_;
}

void CTabDlg::SetCurSel(int page)
{
    const bool known = page >= kPageHistory && page <= kPageResource;
    if (!window_) {
        if (known)
            currentPage_ = page;
        return;
    }
    // An unknown page is only complained about: the current page stays a page that exists.
    if (showPage(page))
        currentPage_ = page;
}

void CTabDlg::OnBnClickedButton1()
{
    SetCurSel(kPageHistory);
}
void CTabDlg::OnBnClickedButton2()
{
    SetCurSel(kPageBackground);
}
void CTabDlg::OnBnClickedButton3()
{
    SetCurSel(kPageResource);
}

void CTabDlg::send(unsigned message, const QString* wParam, const QString* lParam)
{
    platform::SendMessage(platform::WindowRef(owner_), message, reinterpret_cast<WPARAM>(wParam),
        reinterpret_cast<LPARAM>(lParam));
}

void CTabDlg::OnNMClickListViewimage(int row)
{
    if (row < 0 || row >= backgroundPaths_.size())
        return;
    platform::makeScratchFolder(tempFolder_);
    const QString path = backgroundPaths_.at(row);
    send(kMsgDeleteSurface, nullptr);
    send(kMsgOpenBackground, &path);
}

void CTabDlg::OnNMClickTree(const QPoint& pos)
{
    const QTreeWidgetItem* item = tree_->itemAt(pos);
    if (!item) {
        platform::SendMessage(platform::WindowRef(owner_), kMsgInsertPicture, kResourceMissed, 0);
        return;
    }
    // The expand button and the indentation open and close folders; they choose nothing.
    if (pos.x() < tree_->visualItemRect(item).left())
        return;
    if (item->data(0, Qt::UserRole).toInt() != kResourceItemData)
        return;
    ResourceItem resource;
    resource.folder = item->data(0, Qt::UserRole + 1).toBool();
    for (const QTreeWidgetItem* at = item; at; at = at->parent())
        resource.labels << at->text(0);
    const ResourceClick click = resolveResourceClick(resource, QDir::currentPath() + u"/ReSource"_s);
    if (click.message == 0)
        return;
    platform::SendMessage(
        platform::WindowRef(owner_), click.message, click.wParam, reinterpret_cast<LPARAM>(&click.path));
}

void CTabDlg::OnBnClickedHistoryDeletepage()
{
    send(kMsgDeleteSurface, nullptr);
    const QString title = IsEnglish() ? u"History  lead-in"_s : u"历史信息导入: "_s;
    const QString start = platform::programFolder();
    QString folder;
    if (folderChooserHook())
        folder = folderChooserHook()(title, start);
    else
        folder = QFileDialog::getExistingDirectory(window_, title, start, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    // The owner answers with AddBitmap; the first page it adds is the one it opens.
    selectNextAdded_ = true;
    send(kMsgOpenPageFolder, &folder);
    selectNextAdded_ = false;
}

void CTabDlg::OnBnClickedInsert()
{
    send(kMsgInsertChosenMedia, nullptr);
}

void CTabDlg::OnBnClickedOpenLessonFile()
{
    runLessonAction(lessonActions_.openLessonFile);
}

void CTabDlg::OnBnClickedOpenKeptLesson()
{
    runLessonAction(lessonActions_.openKeptLesson);
}

void CTabDlg::runLessonAction(const std::function<void()>& action)
{
    if (action)
        action();
    else
        platform::MessageBox(window(),
            IsEnglish() ? QStringLiteral("This is not available here.") : QStringLiteral("此处不可用。"),
            IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示"), platform::MB_OK);
}

void CTabDlg::ChangePathName(const QString& path)
{
    const QString copy = path;
    send(kMsgDeleteSurface, nullptr);
    send(kMsgOpenBackground, &copy);
}

void CTabDlg::DeleteScreenWnd()
{
    send(kMsgDeleteSurface, nullptr);
}

void CTabDlg::DeleteTempFile()
{
    if (!backgroundFolder_.isEmpty())
        platform::removeScratchFolder(backgroundFolder_);
}

} // namespace DIALOG

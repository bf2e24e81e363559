#include "app/user_dlg.h"

#include "app/ini.h"
#include "app/user_entries.h"

#include "platform/dialog_units.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/window_flags.h"
#include "support/language.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {
constexpr int kWidthDu = 52;
constexpr int kHeightDu = 279;
const QString kSettingsName = u"SetInfo.ini"_s;
} // namespace

CUserDlg::CUserDlg(QWidget* owner)
    : QWidget(owner, platform::kFloatingToolFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(u"UserDlg"_s);
    setAcceptDrops(true);
    const int w = platform::dialogUnitsToPixelsX(kWidthDu);
    const int h = platform::dialogUnitsToPixelsY(kHeightDu);
    setFixedSize(w, h);

    list_ = new QListWidget(this);
    list_->setObjectName(u"list%1"_s.arg(kListId));
    list_->setViewMode(QListView::IconMode);
    list_->setFlow(QListView::TopToBottom);
    list_->setWrapping(false);
    list_->setMovement(QListView::Static);
    list_->setIconSize(QSize(32, 32));
    list_->setGridSize(QSize(w - 10, 58));
    list_->setWordWrap(true);
    list_->setFocusPolicy(Qt::NoFocus);
    // Files dropped on the list are the panel's: the list has no drop handling of its own.
    list_->setDragEnabled(false);
    list_->setAcceptDrops(true);
    list_->viewport()->setAcceptDrops(true);
    list_->viewport()->installEventFilter(this);
    list_->setGeometry(4, 4, w - 8, h - 76);
    list_->setStyleSheet(
        u"QListWidget { background: #F4F8FD; border: none; border-radius: 6px; color: #10233F;"
        " font-size: 12px; } QListWidget::item:selected { background: #CDE3F7; color: #10233F; }"_s);
    connect(
        list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { OpenEntry(item->text()); });

    const QString style
        = u"QPushButton { background: #2761A9; color: white; border: none; border-radius: 5px;"
          " font-size: 14px; } QPushButton:pressed { background: #12A39A; }"_s;
    delete_ = new QPushButton(GetConfigString(u"删除"_s), this);
    delete_->setObjectName(u"button%1"_s.arg(kDeleteId));
    delete_->setGeometry(4, h - 68, w - 8, 30);
    delete_->setStyleSheet(style);
    delete_->setFocusPolicy(Qt::NoFocus);
    connect(delete_, &QPushButton::clicked, this, &CUserDlg::DeleteSelected);
    hide_ = new QPushButton(GetConfigString(u"隐藏"_s), this);
    hide_->setObjectName(u"button%1"_s.arg(kHideId));
    hide_->setGeometry(4, h - 34, w - 8, 30);
    hide_->setStyleSheet(style);
    hide_->setFocusPolicy(Qt::NoFocus);
    connect(hide_, &QPushButton::clicked, this, &QWidget::hide);
}

void CUserDlg::showEvent(QShowEvent* event)
{
    // Read when shown, so that a missing settings file is reported when the teacher asks for the panel.
    Reload();
    QWidget::showEvent(event);
}

QString CUserDlg::settingsFile() const
{
    // The profile accessor says what is wrong with the file (missing, say) in its own message.
    _FILE::CIni ini;
    return ini.SetFileName(kSettingsName) ? ini.FilePath() : QString();
}

void CUserDlg::tell(const QString& text)
{
    platform::MessageBox(
        this, text, IsEnglish() ? u"Tips"_s : u"提示"_s, platform::MB_OK | platform::MB_ICONWARNING);
}

QIcon CUserDlg::FileIcon(const QString& path)
{
    const QFileInfo info(path);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QFileIconProvider().icon(info);
    return icon;
}

QStringList CUserDlg::EntryTexts() const
{
    QStringList texts;
    for (int i = 0; i < list_->count(); ++i)
        texts << list_->item(i)->text();
    return texts;
}

void CUserDlg::Reload()
{
    list_->clear();
    const QString file = settingsFile();
    if (file.isEmpty())
        return;
    for (const QString& text : user_entries::EntryTexts(file)) {
        const QString path = user_entries::EntryPath(file, text);
        auto* item = new QListWidgetItem(FileIcon(path), text, list_);
        item->setToolTip(path);
    }
}

QString CUserDlg::addEntry(const QString& path)
{
    const QString file = settingsFile();
    if (file.isEmpty())
        return {};
    QString text;
    const bool english = IsEnglish();
    switch (user_entries::AddEntry(file, path, &text)) {
    case user_entries::Added::Added:
        break;
    case user_entries::Added::AlreadyThere:
        return {};
    case user_entries::Added::NameTaken:
        return english
            ? u"An entry named \"%1\" is already there and opens another file. Delete it first to "
              "add \"%2\"."_s.arg(text, path)
            : u"已有名为“%1”的条目，它打开另一个文件。要加入“%2”，请先删除该条目。"_s.arg(text, path);
    case user_entries::Added::NotStorable:
        return english ? u"\"%1\" cannot be added: its name or path cannot be kept in the list."_s.arg(path)
                       : u"无法加入“%1”：它的名称或路径无法保存在列表中。"_s.arg(path);
    case user_entries::Added::NotWritten:
        return english ? u"\"%1\" cannot be added: %2 cannot be written."_s.arg(path, file)
                       : u"无法加入“%1”：无法写入%2。"_s.arg(path, file);
    }
    auto* item = new QListWidgetItem(FileIcon(path), text, list_);
    item->setToolTip(path);
    return {};
}

bool CUserDlg::AddEntry(const QString& path)
{
    const int before = list_->count();
    if (const QString refused = addEntry(path); !refused.isEmpty())
        tell(refused);
    return list_->count() > before;
}

bool CUserDlg::OpenEntry(const QString& text)
{
    const QString file = settingsFile();
    if (file.isEmpty())
        return false;
    const QString path = user_entries::EntryPath(file, text);
    if (path.isEmpty())
        return false;
    // A bare name is a program on the search path; a full path that is gone would open nothing, silently.
    if (QDir::isAbsolutePath(path) && !QFileInfo::exists(path)) {
        tell(IsEnglish() ? u"\"%1\" is no longer there: %2"_s.arg(text, path)
                         : u"“%1”已不存在：%2"_s.arg(text, path));
        return false;
    }
    platform::shellOpen(path);
    return true;
}

void CUserDlg::DeleteSelected()
{
    QListWidgetItem* item = list_->currentItem();
    if (!item || !item->isSelected())
        return;
    if (const QString file = settingsFile(); !file.isEmpty())
        user_entries::DeleteEntry(file, item->text());
    Reload();
}

bool CUserDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
            dragEnterEvent(static_cast<QDragEnterEvent*>(event));
            return true;
        case QEvent::DragMove:
            if (static_cast<QDragMoveEvent*>(event)->mimeData()->hasUrls())
                static_cast<QDragMoveEvent*>(event)->acceptProposedAction();
            return true;
        case QEvent::Drop:
            dropEvent(static_cast<QDropEvent*>(event));
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CUserDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CUserDlg::dropEvent(QDropEvent* event)
{
    QStringList refused;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        if (const QString why = addEntry(url.toLocalFile()); !why.isEmpty())
            refused << why;
    }
    event->acceptProposedAction();
    // Told once the drop is over: the program the file came from waits for the drop to end.
    if (!refused.isEmpty())
        QTimer::singleShot(0, this, [this, refused] { tell(refused.join(u'\n')); });
}

void CUserDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x1B, 0x4C, 0x8C));
    p.setPen(QColor(0x3C, 0x78, 0xC2));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace DIALOG

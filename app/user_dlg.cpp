#include "app/user_dlg.h"

#include "app/ini.h"

#include "platform/dialog_units.h"
#include "platform/shell.h"
#include "platform/window_flags.h"
#include "support/language.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPainter>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {
constexpr int kWidthDu = 52;
constexpr int kHeightDu = 279;
const QString kSection = u"ToolInfo"_s;
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
    return kSettingsName;
}

QString CUserDlg::DisplayText(const QString& path)
{
    QString text = QFileInfo(path).fileName();
    // A key holding "=" or starting a comment or a section would not read back as the same key.
    text.replace(u'=', u'_');
    if (text.startsWith(u';') || text.startsWith(u'['))
        text[0] = u'_';
    return text.trimmed();
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

QListWidgetItem* CUserDlg::findEntry(const QString& text) const
{
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->text() == text)
            return list_->item(i);
    return nullptr;
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
    _FILE::CIni ini;
    if (!ini.SetFileName(settingsFile()))
        return;
    for (const QString& key : ini.ReadKeyNames(kSection)) {
        const QString path = ini.ReadString(kSection, key);
        if (path.isEmpty() || findEntry(key))
            continue;
        auto* item = new QListWidgetItem(FileIcon(path), key, list_);
        item->setToolTip(path);
    }
}

bool CUserDlg::AddEntry(const QString& path)
{
    const QString text = DisplayText(path);
    if (text.isEmpty() || path.size() > kLongestPath || findEntry(text))
        return false;
    // The entry is written to the settings as well: a click looks its path up there, and the next start
    // shows it again.
    _FILE::CIni ini;
    if (ini.SetFileName(settingsFile()))
        ini.WriteString(kSection, text, QFileInfo(path).absoluteFilePath());
    auto* item = new QListWidgetItem(FileIcon(path), text, list_);
    item->setToolTip(path);
    return true;
}

bool CUserDlg::OpenEntry(const QString& text)
{
    _FILE::CIni ini;
    if (!ini.SetFileName(settingsFile()))
        return false;
    const QString path = ini.ReadString(kSection, text);
    if (path.isEmpty())
        return false;
    // A file that is gone opens nothing, and the desktop tells nothing either.
    platform::shellOpen(path);
    return true;
}

void CUserDlg::DeleteSelected()
{
    QListWidgetItem* item = list_->currentItem();
    if (!item || !item->isSelected())
        return;
    _FILE::CIni ini;
    if (ini.SetFileName(settingsFile()))
        ini.WriteString(kSection, item->text(), u""_s);
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
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            AddEntry(url.toLocalFile());
    event->acceptProposedAction();
}

void CUserDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x1B, 0x4C, 0x8C));
    p.setPen(QColor(0x3C, 0x78, 0xC2));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace DIALOG

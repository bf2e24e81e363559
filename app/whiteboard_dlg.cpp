#include "app/whiteboard_dlg.h"

#include "app/directry.h"

#include "assist/assist_exports.h"
#include "assist/tab_dlg.h"
#include "board3d/board3d_exports.h"
#include "platform/dialog_units.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/x11_desktop.h"
#include "recorder/recorder_exports.h"
#include "support/language.h"
#include "support/multi_screen.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

bool g_panelRunning = false;

constexpr int kPanelWidthDu = 51;
constexpr int kPanelHeightDu = 278;

// Removes a broken registration of a handwriting input method, where the machine has one.
void cleanUpKeyboardLayouts()
{
    namespace reg = platform::registry;
    const QString root = u"SYSTEM\\ControlSet001\\Control\\Keyboard Layouts"_s;
    reg::Key layouts = nullptr;
    if (reg::RegOpenKey(reg::HKEY_LOCAL_MACHINE, root, &layouts) != reg::ERROR_SUCCESS)
        return;
    QString name;
    for (unsigned index = 0; reg::RegEnumKey(layouts, index, &name) == reg::ERROR_SUCCESS; ++index) {
        reg::Key layout = nullptr;
        if (reg::RegOpenKey(layouts, name, &layout) != reg::ERROR_SUCCESS)
            continue;
        QString text, imeFile;
        const bool broken = reg::RegQueryValue(layout, u"Layout Text"_s, &text) == reg::ERROR_SUCCESS
            && text == u"中文 (简体) - 逍遥笔"_s
            && reg::RegQueryValue(layout, u"Ime File"_s, &imeFile) != reg::ERROR_SUCCESS;
        reg::RegCloseKey(layout);
        if (broken)
            reg::RegDeleteKey(layouts, name);
    }
    reg::RegCloseKey(layouts);
}

bool isEnglish() { return GetLanguage().compare(u"English"_s, Qt::CaseInsensitive) == 0; }

} // namespace

CWhiteBoardDlg::CWhiteBoardDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    tabDlg_ = std::make_unique<CTabDlg>(nullptr, this);

    startupDirectory_ = QDir::currentPath();
    programFilePath_ = platform::programFilePath();
    const QString templates = platform::templatesFolder();
    pageFolderRoot_ = templates.isEmpty() ? u"/Temp/"_s : platform::shortPath(templates) + u"/Temp/"_s;

    setWindowIcon(QIcon(u":/skin/app/quillmark.png"_s));
    background_.load(u":/skin/panel/background.png"_s);
    logo_.load(u":/skin/panel/icon_1008.png"_s);
}

CWhiteBoardDlg::~CWhiteBoardDlg()
{
    if (!destroyed_)
        OnDestroy();
}

bool CWhiteBoardDlg::IsRunning() { return g_panelRunning; }

int CWhiteBoardDlg::DoModal()
{
    OnInitDialog();
    const int result = exec();
    OnDestroy();
    return result;
}

void CWhiteBoardDlg::OnInitDialog()
{
    if (g_panelRunning) {
        platform::MessageBox(nullptr, GetConfigString(u"您已经启动了软件"_s), GetConfigString(u"信息提示"_s),
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        std::exit(-1);
    }
    g_panelRunning = true;
    setWindowTitle(GetConfigString(u"白板"_s));

    messages_ = std::make_unique<platform::MessageTable>(this, platform::kDialogClass);

    PlaceAtStartup();
    tabDlg_->CreateWnd();

    const QRect screen = CMultiScreen(this).GetScreenRect();
    SetScreenRect(screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1);

    cleanUpKeyboardLayouts();

    QDir().mkpath(QFileInfo(programFilePath_).absolutePath() + u"/Temp"_s);
}

QPoint CWhiteBoardDlg::startupPosition(int screenWidth, int screenHeight, int panelWidth, int /*panelHeight*/)
{
    // Both coordinates come from the screen width, so on a very wide screen y may fall off the bottom.
    int x = 7 * (screenWidth / 10);
    int y = screenWidth / 10;
    if (x < 0 || x > screenWidth || y < 0 || y > screenHeight) {
        x = screenWidth - panelWidth;
        y = 20;
    }
    return {x, y};
}

void CWhiteBoardDlg::PlaceAtStartup()
{
    panelSize_ = QSize(platform::dialogUnitsToPixelsX(kPanelWidthDu), platform::dialogUnitsToPixelsY(kPanelHeightDu));
    setFixedSize(panelSize_);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    move(startupPosition(screenSize.width(), screenSize.height(), panelSize_.width(), panelSize_.height()));
}

bool CWhiteBoardDlg::OnClose()
{
    const int answer = isEnglish()
        ? platform::MessageBox(this, u"Are you sure exit VorivOrazu?"_s, u"Warning"_s, platform::MB_YESNO)
        : platform::MessageBox(this, u"是否退出白板？"_s, u"提示"_s, platform::MB_YESNO);
    return answer == platform::IDYES;
}

void CWhiteBoardDlg::closeEvent(QCloseEvent* event)
{
    if (OnClose()) {
        event->accept();
        done(QDialog::Accepted);
    } else {
        event->ignore();
    }
}

void CWhiteBoardDlg::keyPressEvent(QKeyEvent* event)
{
    // Neither Escape nor Space nor Enter closes the panel.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CWhiteBoardDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!background_.isNull()) {
        p.drawPixmap(rect(), background_);
    } else {
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, QColor(0x1f, 0x4e, 0x79));
        g.setColorAt(1, QColor(0x16, 0x3a, 0x5c));
        p.fillRect(rect(), g);
    }
    if (!logo_.isNull())
        p.drawPixmap(2, 2, logo_);
}

void CWhiteBoardDlg::OnDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    g_panelRunning = false;

    Destroy3DScreen();
    if (tabDlg_)
        tabDlg_->DeleteTempFile();

    // The page folder root without its ZidodAvuvTemp part and trailing separator is the folder to remove.
    QString pageFolder = pageFolderRoot_;
    if (pageFolder.endsWith(u"/Temp/ZidodAvuvTemp/"_s))
        pageFolder.chop(int(QStringLiteral("ZidodAvuvTemp/").size()));
    if (pageFolder.endsWith(u"Temp/"_s))
        pageFolder.chop(1);
    if (QFileInfo(pageFolder).isDir() && !QDir().rmdir(pageFolder)) {
        for (const char* name : {"temp.bmp", "TempImage.bmp", "Thumbs.db"})
            QFile::remove(pageFolder + QLatin1Char('/') + QLatin1String(name));
        QDir().rmdir(pageFolder);
    }
    _FILE::CDirectry(pageFolder).Delete();
    _FILE::CDirectry(QFileInfo(programFilePath_).absolutePath() + u"/Temp"_s).Delete();

    StopRecordScreen();
    DestroyRecordControlWindow();
    int zoomClosed = 0;
    PictuerZoomOut(&zoomClosed);

    QDir().rmdir(u"Save"_s);
    QDir::setCurrent(startupDirectory_);

    if (const unsigned long cinebox = platform::desktop::findWindow(u"Cinebox"_s))
        platform::desktop::requestClose(cinebox);
    messages_.reset();
}

} // namespace DIALOG

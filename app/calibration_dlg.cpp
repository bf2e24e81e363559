#include "app/calibration_dlg.h"

#include "platform/notice.h"
#include "platform/profile.h"
#include "support/language.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTouchEvent>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

const QString kSection = u"Touch"_s;
const QString kMatrixKey = u"Calibration"_s;
const QString kDeviceKey = u"CalibrationDevice"_s;
constexpr int kCrossArm = 20;

QRect wholeScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect(0, 0, 1920, 1080);
}

} // namespace

CCalibrationDlg::CCalibrationDlg(QWidget* owner, const platform::TouchScreen& screen)
    : QDialog(owner, Qt::FramelessWindowHint)
    , screen_(screen)
{
    setWindowTitle(IsEnglish() ? u"Touch calibration"_s : u"触摸屏定位"_s);
    setAttribute(Qt::WA_AcceptTouchEvents);
    setAttribute(Qt::WA_DeleteOnClose);
    setGeometry(wholeScreen());
    // Touches are judged against what the frame reports without the calibration now set.
    current_ = platform::ReadCalibration(screen_).value_or(platform::CalibrationMatrix::Identity());
    targets_ = platform::CalibrationTargets(QSizeF(wholeScreen().size()));

    remove_ = new QPushButton(IsEnglish() ? u"No calibration"_s : u"取消定位"_s, this);
    cancel_ = new QPushButton(IsEnglish() ? u"Cancel"_s : u"取消"_s, this);
    const QPoint middle = rect().center();
    remove_->setGeometry(middle.x() - 170, middle.y() + 60, 160, 36);
    cancel_->setGeometry(middle.x() + 10, middle.y() + 60, 160, 36);
    connect(remove_, &QPushButton::clicked, this, &CCalibrationDlg::RemoveCalibration);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

QPointF CCalibrationDlg::Target(int index) const
{
    return targets_[std::size_t(index)] - QPointF(wholeScreen().topLeft() - geometry().topLeft());
}

QString CCalibrationDlg::SettingsFile()
{
    return u"./SetInfo.ini"_s;
}

void CCalibrationDlg::Touched(QPointF global)
{
    if (next_ >= 4)
        return;
    touches_[std::size_t(next_++)] = global - QPointF(wholeScreen().topLeft());
    update();
    if (next_ == 4)
        finish();
}

void CCalibrationDlg::finish()
{
    const std::optional<platform::CalibrationMatrix> fit
        = platform::FitCalibration(targets_, touches_, QSizeF(wholeScreen().size()), current_);
    if (!fit) {
        // A touch beside its cross: the teacher starts again, and nothing was changed.
        platform::ShowNotice(GetConfigString(u"触摸点与十字不符，请重新依次点击十字中心"_s));
        next_ = 0;
        update();
        return;
    }
    if (store(*fit))
        platform::ShowNotice(GetConfigString(u"触摸屏定位完成"_s));
    accept();
}

void CCalibrationDlg::RemoveCalibration()
{
    if (store(platform::CalibrationMatrix::Identity()))
        platform::ShowNotice(GetConfigString(u"已取消触摸屏定位"_s));
    accept();
}

bool CCalibrationDlg::store(const platform::CalibrationMatrix& matrix)
{
    if (!platform::WriteCalibration(screen_, matrix)) {
        platform::ShowNotice(GetConfigString(u"无法设置触摸屏的定位"_s));
        return false;
    }
    platform::WritePrivateProfileString(kSection, kMatrixKey, matrix.ToText(), SettingsFile());
    platform::WritePrivateProfileString(kSection, kDeviceKey, screen_.name, SettingsFile());
    return true;
}

void CCalibrationDlg::ApplyStoredCalibration()
{
    const QString text
        = platform::GetPrivateProfileString(kSection, kMatrixKey, QString(), 512, SettingsFile());
    const std::optional<platform::CalibrationMatrix> matrix = platform::CalibrationMatrix::FromText(text);
    if (!matrix)
        return;
    const QString device
        = platform::GetPrivateProfileString(kSection, kDeviceKey, QString(), 512, SettingsFile());
    for (const platform::TouchScreen& screen : platform::TouchScreens())
        if (screen.name == device && screen.driver != platform::TouchScreen::Driver::NoCalibration)
            platform::WriteCalibration(screen, *matrix);
}

bool CCalibrationDlg::event(QEvent* event)
{
    if (event->type() == QEvent::TouchBegin || event->type() == QEvent::TouchUpdate) {
        const auto* touch = static_cast<QTouchEvent*>(event);
        for (const QEventPoint& point : touch->points())
            if (point.state() == QEventPoint::State::Pressed)
                Touched(point.globalPosition());
        event->accept();
        return true;
    }
    if (event->type() == QEvent::TouchEnd || event->type() == QEvent::TouchCancel) {
        event->accept();
        return true;
    }
    return QDialog::event(event);
}

void CCalibrationDlg::mousePressEvent(QMouseEvent* event)
{
    // A frame whose driver sends the pointer instead of touches calibrates the same way.
    if (event->button() == Qt::LeftButton)
        Touched(event->globalPosition());
}

void CCalibrationDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
}

void CCalibrationDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    for (int i = 0; i < 4; ++i) {
        const QPoint c = Target(i).toPoint();
        p.setPen(QPen(i == next_ ? QColor(Qt::red) : QColor(0xC0, 0xC0, 0xC0), i == next_ ? 3 : 1));
        p.drawLine(c - QPoint(kCrossArm, 0), c + QPoint(kCrossArm, 0));
        p.drawLine(c - QPoint(0, kCrossArm), c + QPoint(0, kCrossArm));
        p.drawEllipse(c, kCrossArm / 2, kCrossArm / 2);
    }
    QFont font(u"WenQuanYi Micro Hei"_s);
    font.setPixelSize(22);
    p.setFont(font);
    p.setPen(Qt::black);
    const QString text = IsEnglish()
        ? u"Touch the centre of the red cross, %1 of 4. Esc cancels."_s.arg(next_ + 1)
        : u"请点击红色十字的中心（第 %1 个，共 4 个）。按 Esc 取消。"_s.arg(next_ + 1);
    p.drawText(QRect(0, rect().center().y() - 40, width(), 40), Qt::AlignCenter, text);
}

void StartTouchCalibration(QWidget* owner)
{
    const std::optional<platform::TouchScreen> screen = platform::CalibratableTouchScreen();
    if (!screen) {
        platform::ShowNotice(GetConfigString(u"没有找到触摸屏，无需定位"_s));
        return;
    }
    if (screen->driver == platform::TouchScreen::Driver::NoCalibration) {
        platform::ShowNotice(GetConfigString(u"这块触摸屏的驱动不能设置定位"_s));
        return;
    }
    auto* dialog = new CCalibrationDlg(owner, *screen);
    dialog->show();
}

} // namespace DIALOG

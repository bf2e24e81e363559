#include "support/screen_picture.h"

#include "platform/message_box.h"
#include "platform/notice.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "support/language.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString kSection = u"Portal"_s;
const QString kExplainedKey = u"ScreenshotExplained"_s;

// The desktop asks the first time whether the program may take pictures of the screen. Said before it asks,
// once for this user, so that the teacher knows why and answers yes.
void explainPermissionOnce()
{
    const QString profile = ScreenPictureProfile();
    if (platform::GetPrivateProfileInt(kSection, kExplainedKey, 0, profile) != 0)
        return;
    platform::MessageBox(nullptr,
        GetConfigString(
            u"桌面可能会询问是否允许本软件截取屏幕画面。请选择允许：书写、聚光灯、放大镜、截图和缩放都需要屏幕画面。"_s),
        IsEnglish() ? u"Tips"_s : u"提示"_s, platform::MB_OK | platform::MB_ICONINFORMATION);
    QDir().mkpath(QFileInfo(profile).absolutePath());
    platform::WritePrivateProfileString(kSection, kExplainedKey, u"1"_s, profile);
}

} // namespace

QString ScreenPictureProfile()
{
    return platform::dataHome() + u"/Quillmark/Desktop.ini"_s;
}

QString CaptureFailureText(platform::CaptureFailure failure)
{
    switch (failure) {
    case platform::CaptureFailure::None:
        return {};
    case platform::CaptureFailure::NoPortal:
        return GetConfigString(u"无法截取屏幕画面：此桌面没有截图服务（xdg-desktop-portal）"_s);
    case platform::CaptureFailure::Refused:
        return GetConfigString(u"无法截取屏幕画面：桌面没有允许截图"_s);
    case platform::CaptureFailure::NoAnswer:
        return GetConfigString(u"无法截取屏幕画面：桌面在10秒内没有应答"_s);
    case platform::CaptureFailure::BadPicture:
    case platform::CaptureFailure::NoFrames:
    case platform::CaptureFailure::SessionClosed:
        return GetConfigString(u"无法截取屏幕画面：桌面给出的画面无法读取"_s);
    }
    return {};
}

QImage TakeScreenPicture(const QRect& area, platform::OwnWindows own, double ratio)
{
    if (platform::CaptureBackendInUse() == platform::CaptureBackend::Portal)
        explainPermissionOnce();
    const platform::ScreenPicture picture = platform::CaptureScreen(area, own, ratio);
    if (picture.failure != platform::CaptureFailure::None)
        platform::ShowNotice(CaptureFailureText(picture.failure));
    return picture.image;
}

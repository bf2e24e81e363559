#include "recorder/recorder_exports.h"

#include "platform/notice.h"
#include "support/language.h"

// Recording is not available yet: there is never a recording to stop or a window to destroy.
void ShowRecordControlWindow()
{
    platform::ShowNotice(GetConfigString(QStringLiteral("屏幕录制功能尚未提供")));
}
void StopRecordScreen()
{
}
void DestroyRecordControlWindow()
{
}
int IsPlaying()
{
    return 0;
}

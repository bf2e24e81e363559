#include "recorder/recorder_exports.h"

// Recording is not available yet: there is never a recording to stop or a window to destroy.
void ShowRecordControlWindow()
{
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

#include "deferred/deferred_library.h"

#include "deferred/library_path.h"
#include "platform/message_box.h"
#include "support/language.h"

#include <QCoreApplication>
#include <QList>
#include <QThread>
#include <QTimer>
#include <QtDebug>

#include <dlfcn.h>

#include <mutex>

namespace deferred {

const LibraryInfo kRecorder {
    "libQMVidio.so", "无法使用屏幕录制：libQMVidio.so（FFmpeg、PulseAudio）未能加载。"};
const LibraryInfo kPlayer {"libQMDirect.so", "无法播放视频：libQMDirect.so（GStreamer）未能加载。"};
const LibraryInfo kWall {"libQMShow.so", "无法使用3D照片墙：libQMShow.so（Irrlicht）未能加载。"};
const LibraryInfo kBoard3D {"libQMPlay.so", "无法使用3D白板：libQMPlay.so（Irrlicht）未能加载。"};

namespace {

std::atomic<int> openCount {0};

std::mutex& loaderLock()
{
    static std::mutex lock;
    return lock;
}

// Libraries whose failure the teacher has been told of during the present press.
QList<const LibraryInfo*>& toldThisPress()
{
    static QList<const LibraryInfo*> told;
    return told;
}

void tell(const LibraryInfo& library)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread() || toldThisPress().contains(&library))
        return;
    toldThisPress().append(&library);
    platform::MessageBox(nullptr, MissingText(library),
        IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示"),
        platform::MB_OK | platform::MB_ICONINFORMATION);
    // The other calls of this press stay quiet; the next press asks again.
    QTimer::singleShot(0, app, [&library] { toldThisPress().removeAll(&library); });
}

} // namespace

void* Open(const LibraryInfo& library)
{
    void* handle = nullptr;
    {
        std::lock_guard guard(loaderLock());
        handle = dlopen(LibraryPath(library.file).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            qWarning("%s", dlerror());
    }
    if (!handle)
        tell(library);
    else
        openCount.fetch_add(1, std::memory_order_acq_rel);
    return handle;
}

void* Loaded(const LibraryInfo& library)
{
    std::lock_guard guard(loaderLock());
    return dlopen(LibraryPath(library.file).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
}

QString MissingText(const LibraryInfo& library)
{
    return GetConfigString(QString::fromUtf8(library.missingText));
}

int OpenCount()
{
    return openCount.load(std::memory_order_acquire);
}

void* Symbol(void* handle, const char* name)
{
    return handle ? dlsym(handle, name) : nullptr;
}

} // namespace deferred

#include "pdf/pdf_reader.h"

#include "deferred/library_path.h"
#include "support/language.h"

#include <QtDebug>

#include <dlfcn.h>

#include <mutex>

namespace pdfreader {

namespace {

QMPdfOpenFunction openFunction()
{
    static std::mutex lock;
    static QMPdfOpenFunction function = nullptr;
    std::lock_guard guard(lock);
    if (!function) {
        void* module = dlopen(deferred::LibraryPath("libQMPdf.so").constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module)
            qWarning("%s", dlerror());
        function = module ? reinterpret_cast<QMPdfOpenFunction>(dlsym(module, "QMPdfOpen")) : nullptr;
    }
    return function;
}

} // namespace

std::unique_ptr<Document> Open(const QString& path, bool* readerMissing)
{
    const QMPdfOpenFunction open = openFunction();
    if (readerMissing)
        *readerMissing = !open;
    return std::unique_ptr<Document>(open ? open(&path) : nullptr);
}

QString MissingText()
{
    return GetConfigString(QStringLiteral("无法打开PDF：libQMPdf.so（Poppler）未能加载。"));
}

} // namespace pdfreader

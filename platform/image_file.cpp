#include "platform/image_file.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmapCache>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace platform {

int openRegularFileDescriptor(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return -1;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

namespace {

std::unique_ptr<QFile> openRegularFile(const QString& path)
{
    const int fd = openRegularFileDescriptor(path);
    if (fd < 0)
        return nullptr;
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

// Pictures compiled into the program are not files and cannot block.
bool isResource(const QString& path)
{
    return path.startsWith(QLatin1Char(':')) || path.startsWith(QLatin1String("qrc:"));
}

// The formats Qt reads without a plugin, by the suffix that names them.
bool builtInFormat(const QByteArray& suffix)
{
    static const QList<QByteArray> formats {"png", "bmp", "ppm", "pgm", "pbm", "xbm", "xpm"};
    return formats.contains(suffix);
}

// A reader of a compiled-in picture that trusts its name: told the format, it consults no plugin.
std::unique_ptr<QImageReader> resourceReader(const QString& path)
{
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    if (!builtInFormat(suffix))
        return std::make_unique<QImageReader>(path);
    auto reader = std::make_unique<QImageReader>(path, suffix);
    reader->setAutoDetectImageFormat(false);
    reader->setDecideFormatFromContent(false);
    return reader;
}

void readFrom(QImageReader& reader, QImage* image, QSize maxSize, Qt::AspectRatioMode mode)
{
    const QSize natural = reader.size();
    if (maxSize.isValid() && natural.isValid()) {
        const QSize fitted = fittedImageSize(natural, maxSize, mode);
        if (fitted != natural)
            reader.setScaledSize(fitted);
    }
    if (!reader.read(image)) {
        *image = QImage();
        return;
    }
    if (maxSize.isValid() && (image->width() > maxSize.width() || image->height() > maxSize.height())) {
        // The header did not tell the size: the picture is made smaller after decoding.
        *image = image->scaled(
            fittedImageSize(image->size(), maxSize), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
}

// The format is told by the file's content first, so that a PNG saved as ".jpg" still reads; the suffix
// names the few formats whose content says nothing about them.
std::unique_ptr<QImageReader> readerFor(QFile* file, const QString& path)
{
    auto reader = std::make_unique<QImageReader>(file);
    if (reader->canRead())
        return reader;
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    if (suffix.isEmpty() || !file->seek(0))
        return nullptr;
    reader = std::make_unique<QImageReader>(file, suffix);
    return reader->canRead() ? std::move(reader) : nullptr;
}

} // namespace

bool isRegularFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QImage readImageFile(const QString& path, QSize maxSize, Qt::AspectRatioMode mode)
{
    QImage image;
    if (isResource(path)) {
        readFrom(*resourceReader(path), &image, maxSize, mode);
        return image;
    }
    const std::unique_ptr<QFile> file = openRegularFile(path);
    if (!file)
        return image;
    const std::unique_ptr<QImageReader> reader = readerFor(file.get(), path);
    if (reader)
        readFrom(*reader, &image, maxSize, mode);
    return image;
}

QSize imageFileSize(const QString& path)
{
    if (isResource(path))
        return resourceReader(path)->size();
    const std::unique_ptr<QFile> file = openRegularFile(path);
    if (!file)
        return QSize();
    const std::unique_ptr<QImageReader> reader = readerFor(file.get(), path);
    return reader ? reader->size() : QSize();
}

QString twicePicturePath(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot <= path.lastIndexOf(u'/'))
        return path + u"@2x"_s;
    return path.left(dot) + u"@2x"_s + path.mid(dot);
}

QImage readOwnPicture(const QString& path, qreal devicePixelRatio)
{
    // A picture drawn at twice the size for a screen of more than one device pixel to the pixel: at 1.25 or
    // 1.5 it is made smaller when drawn, which stays sharper than the plain one made larger.
    if (devicePixelRatio > 1 && isResource(path)) {
        if (const QString twice = twicePicturePath(path); QFile::exists(twice)) {
            QImage image = resourceReader(twice)->read();
            if (!image.isNull()) {
                image.setDevicePixelRatio(2);
                return image;
            }
        }
    }
    return isResource(path) ? resourceReader(path)->read() : readImageFile(path);
}

QPixmap ownPixmap(const QString& path)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const QString key = u"qm_own:%1:"_s.arg(ratio > 1 ? 2 : 1) + path;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap::fromImage(readOwnPicture(path, ratio));
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QSize fittedImageSize(QSize natural, QSize maxSize, Qt::AspectRatioMode mode)
{
    if (!maxSize.isValid() || natural.isEmpty())
        return natural;
    if (natural.width() <= maxSize.width() && natural.height() <= maxSize.height())
        return natural;
    if (mode == Qt::IgnoreAspectRatio)
        return QSize(std::clamp(maxSize.width(), 1, natural.width()),
            std::clamp(maxSize.height(), 1, natural.height()));
    const double scale = std::min(double(maxSize.width()) / double(natural.width()),
        double(maxSize.height()) / double(natural.height()));
    return QSize(std::max(1, int(std::lround(natural.width() * scale))),
        std::max(1, int(std::lround(natural.height() * scale))));
}

} // namespace platform

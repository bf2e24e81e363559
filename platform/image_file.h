#pragma once
// Pictures read by a path that a page, a folder or the user names. Only a regular file is opened: a FIFO
// would block the user interface in open() until some other program writes to it, and a device such as
// /dev/zero never ends.
#include "platform/platform_export.h"

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace platform {

// Whether path names a regular file, links followed. Nothing is opened.
QMPLATFORM_EXPORT bool isRegularFile(const QString& path);

// A descriptor open for reading on path when it is a regular file, else -1. The check is made on the
// opened descriptor and the open does not wait for a writer, so a FIFO swapped in after a look at the name
// blocks nothing. The caller closes it.
QMPLATFORM_EXPORT int openRegularFileDescriptor(const QString& path);

// The picture at path, or a null image when path is not a regular file or holds no picture this build can
// decode. With a valid maxSize the picture is decoded at no more than that size and never enlarged (JPEG
// decodes straight at the smaller size): its proportions kept, or with IgnoreAspectRatio each side cut to
// maxSize on its own, for a picture that is drawn stretched into a box of that size anyway.
QMPLATFORM_EXPORT QImage readImageFile(
    const QString& path, QSize maxSize = QSize(), Qt::AspectRatioMode mode = Qt::KeepAspectRatio);

// A picture of the program's own (compiled in, ":/..."), read as the format its name ends in. Qt otherwise
// guesses the format by asking every image-format plugin, which loads them all with their codecs, and the
// program's own pictures need none of them. A resource named for no format Qt has built in is read guessing,
// and any other path as readImageFile reads it. With a devicePixelRatio above 1 the picture of twice the size
// beside it ("name@2x.png"), when there is one, with a device pixel ratio of 2: its size in logical pixels
// stays that of the plain one.
QMPLATFORM_EXPORT QImage readOwnPicture(const QString& path, qreal devicePixelRatio = 1);
// The same as a pixmap at the application's device pixel ratio, kept in the pixmap cache by its path as
// QPixmap(path) keeps it.
QMPLATFORM_EXPORT QPixmap ownPixmap(const QString& path);
// The name of the picture of twice the size beside path: "a/b@2x.png" for "a/b.png".
QMPLATFORM_EXPORT QString twicePicturePath(const QString& path);

// The size of the picture at path as its header gives it, without decoding the pixels; an invalid size when
// path is not a regular file or not a picture.
QMPLATFORM_EXPORT QSize imageFileSize(const QString& path);

// The size a picture of size natural takes when fitted into maxSize as readImageFile fits it: never enlarged,
// at least one pixel each way. natural itself when maxSize is not valid.
QMPLATFORM_EXPORT QSize fittedImageSize(
    QSize natural, QSize maxSize, Qt::AspectRatioMode mode = Qt::KeepAspectRatio);

} // namespace platform

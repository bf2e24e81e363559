#include "controls/button_ex.h"
#include "platform/image_file.h"
#include "support_main/test_util.h"

#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QImage drawn(UICONTROL::CButtonEx& button, bool down)
{
    button.resize(button.sizeHint());
    button.setDown(down);
    return button.grab().toImage();
}

} // namespace

// A button given its pictures by path, which it reads only when it first needs them, looks as one given the
// pictures themselves: its size, the normal picture, the pressed one while down, and the normal one again
// while down when the pressed one is missing.
TEST(ButtonPictures, ReadByPathTheyShowAsGivenThemselves)
{
    const QString normal = u":/skin/pptbar/background_635.png"_s;
    const QString pressed = u":/skin/panel/show_tab.png"_s;
    UICONTROL::CButtonEx byPath(1, nullptr), given(2, nullptr);
    byPath.SetPictures(normal, pressed);
    given.SetPictures(QPixmap(normal), QPixmap(pressed));
    EXPECT_EQ(byPath.sizeHint(), QPixmap(normal).size());
    EXPECT_EQ(drawn(byPath, false), drawn(given, false));
    EXPECT_EQ(drawn(byPath, true), drawn(given, true));
    EXPECT_NE(drawn(byPath, true), drawn(byPath, false));

    UICONTROL::CButtonEx noPressed(3, nullptr);
    noPressed.SetPictures(normal, u":/skin/none.png"_s);
    EXPECT_EQ(drawn(noPressed, true), drawn(given, false));

    // Pictures set later replace the paths not yet read.
    UICONTROL::CButtonEx replaced(4, nullptr);
    replaced.SetPictures(pressed, pressed);
    replaced.SetPictures(QPixmap(normal), QPixmap(pressed));
    EXPECT_EQ(drawn(replaced, true), drawn(given, true));
}

// On a screen of more than one device pixel to the pixel the program's own pictures are read at twice the
// size, keeping their size in logical pixels; at one, and for a picture with none beside it, as before.
TEST(ButtonPictures, AtTwiceTheDevicePixelsAPictureHasTwiceThePixelsAndTheSameSize)
{
    const QString path = u":/skin/panel/icon_1008.png"_s;
    EXPECT_EQ(platform::twicePicturePath(path), u":/skin/panel/icon_1008@2x.png"_s);
    const QImage plain = platform::readOwnPicture(path);
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(plain.devicePixelRatio(), 1);
    for (const qreal ratio : {1.5, 2.0}) {
        const QImage twice = platform::readOwnPicture(path, ratio);
        EXPECT_EQ(twice.devicePixelRatio(), 2) << ratio;
        EXPECT_EQ(twice.size(), plain.size() * 2) << ratio;
        EXPECT_EQ(twice.deviceIndependentSize(), QSizeF(plain.size())) << ratio;
    }
    EXPECT_EQ(platform::readOwnPicture(path, 1), plain);

    // A picture of the teacher's own has no twin: it is read as it is.
    QTemporaryDir dir;
    const QString own = dir.filePath(u"own.png"_s);
    ASSERT_TRUE(plain.save(own));
    qmtest::writeFile(platform::twicePicturePath(own), "not read");
    const QImage read = platform::readOwnPicture(own, 2);
    EXPECT_EQ(read.size(), plain.size());
    EXPECT_EQ(read.devicePixelRatio(), 1);
}

#include "controls/button_ex.h"

#include <QImage>
#include <QPixmap>

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

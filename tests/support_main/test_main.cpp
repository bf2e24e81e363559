// Test main shared by every test program: a QApplication exists for the whole run, so that
// painting text into a QImage, QPixmap and real windows all work.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

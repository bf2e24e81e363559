#include "app/deck_opening.h"

#include "support_main/test_util.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(DeckOpening, OnWaylandLibreOfficeOpensTheDeckOnX11AndElseTheDesktopDoes)
{
    const QString soffice = u"/usr/bin/soffice"_s;
    const DeckOpening wayland = DeckOpeningFor(u"/home/t/Lesson.PPTX"_s, true, soffice);
    EXPECT_FALSE(wayland.throughDesktop);
    EXPECT_EQ(wayland.program, soffice);
    EXPECT_TRUE(wayland.arguments.contains(u"/home/t/Lesson.PPTX"_s));
    EXPECT_EQ(wayland.environment, QStringList {u"SAL_USE_VCLPLUGIN=gen"_s});
    EXPECT_FALSE(DeckOpeningFor(u"/home/t/Lesson.ppt"_s, true, soffice).throughDesktop);

    EXPECT_TRUE(DeckOpeningFor(u"/home/t/Lesson.pptx"_s, false, soffice).throughDesktop) << "X11: as ever";
    EXPECT_TRUE(DeckOpeningFor(u"/home/t/Lesson.pptx"_s, true, QString()).throughDesktop) << "no LibreOffice";
    EXPECT_TRUE(DeckOpeningFor(u"/home/t/Lesson.wps"_s, true, soffice).throughDesktop) << "WPS's own deck";
}

TEST(DeckOpening, TheStartedLibreOfficeGetsItsX11FaceAndTheDeck)
{
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    const QString record = bin.filePath(u"started"_s);
    // A stand-in soffice on the PATH that writes down how it was started.
    const QString script = qmtest::writeFile(bin.filePath(u"soffice"_s),
        QStringLiteral("#!/bin/sh\necho \"$SAL_USE_VCLPLUGIN $*\" > %1.part && mv %1.part %1\n")
            .arg(record)
            .toUtf8());
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    const QByteArray session = qgetenv("XDG_SESSION_TYPE");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + path);
    qputenv("XDG_SESSION_TYPE", "wayland");
    const bool started = OpenDeck(u"/tmp/Lesson.pptx"_s);
    qputenv("PATH", path);
    qputenv("XDG_SESSION_TYPE", session);
    ASSERT_TRUE(started);
    ASSERT_TRUE(qmtest::waitFor([&] { return QFile::exists(record); }));
    EXPECT_EQ(qmtest::readFile(record).trimmed(), "gen --nologo /tmp/Lesson.pptx");
}

TEST(DeckOpening, PlayWithoutAShowItCanReachNamesTheOfficeButtonOnWayland)
{
    EXPECT_NE(NoPresentationText(true), NoPresentationText(false));
    EXPECT_TRUE(NoPresentationText(true).contains(u"Office"_s));
}

#pragma once
// How the Office button opens a slide deck so that the slide-show toolbar can drive its show. On a Wayland
// desktop a presentation program that runs natively is out of reach of the program's keys (they travel
// through XTest, which reaches X11 windows only), so a deck is opened in LibreOffice on X11 there.
#include <QString>
#include <QStringList>

struct DeckOpening {
    bool throughDesktop = true; // the desktop's default program for the file, as a double click would
    QString program; // otherwise this program,
    QStringList arguments; // with these arguments
    QStringList environment; // and these variables ("NAME=value") added to the program's own
};

// soffice: the LibreOffice program found on the PATH, empty when there is none.
DeckOpening DeckOpeningFor(const QString& file, bool waylandSession, const QString& soffice);

// Opens file as DeckOpeningFor says; false when nothing could be started.
bool OpenDeck(const QString& file);

// The line play shows when it finds no presentation it can drive, in the language in force.
QString NoPresentationText(bool waylandSession);

#pragma once
// The application object: start-up and shutdown of the program around the main panel's modal run.

class QApplication;
class QWidget;

class CWhiteBoardApp {
public:
    // Installs the crash handler: the first thing the process does.
    CWhiteBoardApp();

    // Builds the hidden owner window and the main panel, runs the panel modally, then tears both down.
    // Always false: the program ends when the panel has closed.
    bool InitInstance();
    int ExitInstance();

    // Qt's own texts (the Yes and No of a question, the colour and file dialogs) in the language in force.
    // False when the language needs them and they are not installed.
    static bool LoadQtTranslations(QApplication& app);

private:
    QWidget* hiddenOwner_ = nullptr;
};

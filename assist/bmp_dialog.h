#pragma once
// The open-picture dialog of the history panel: BMP files only, with a preview of the selected picture.
#include "assist/qmhelp_export.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace DIALOG {

class QMHELP_EXPORT CBmpDialog {
public:
    // Answers the dialog instead of showing it (tests): gets the title and the starting folder, returns the
    // chosen path or an empty string for Cancel. An empty function removes the hook.
    using Hook = std::function<QString(const QString& title, const QString& folder)>;
    static void setHook(Hook hook);

    // The chosen picture's path, or an empty string when the user cancelled.
    static QString getOpenFileName(QWidget* parent, const QString& folder);

    static QString title();
    // The preview's four lines for a BMP file: width, height, colours and size; empty when it is no BMP.
    static QStringList previewLines(const QString& path);
};

} // namespace DIALOG

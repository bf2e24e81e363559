#pragma once
// The board's bluetooth receiver: its driver set up from a driver package, with a wait window shown meanwhile.
#include "support/qmexpand_export.h"

#include <QDialog>
#include <QString>

class QLabel;
class QTimer;

// Installs the bluetooth receiver's driver from an INF file; 1 when installed, 0 otherwise.
extern "C" QMEXPAND_EXPORT int InstallBruthDrive(const QString& infPath);

namespace qmexpand {
// The same with sysfs under another root, as the tests' made device trees are.
QMEXPAND_EXPORT int InstallBruthDriveUnder(const QString& infPath, const QString& sysRoot);
} // namespace qmexpand

// "Please wait" while the driver is set up: one line of text with a row of dots that grows and starts
// again every two seconds.
class QMEXPAND_EXPORT CDlgBruthDriverSetup : public QDialog {
    Q_OBJECT
public:
    CDlgBruthDriverSetup();

    QString statusText() const;
    // One tick of the dots.
    void OnTimer();

private:
    QString base_;
    int ticks_ = 0;
    QLabel* text_;
    QTimer* timer_;
};

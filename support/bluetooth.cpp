#include "support/bluetooth.h"

// Driver installation is not available yet: nothing is installed.
int InstallBruthDrive(const QString& infPath)
{
    (void)infPath;
    return 0;
}

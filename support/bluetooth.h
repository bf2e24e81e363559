#pragma once
#include "support/qmexpand_export.h"

#include <QString>

// Installs the bluetooth receiver's driver from an INF file; 1 when installed, 0 otherwise.
extern "C" QMEXPAND_EXPORT int InstallBruthDrive(const QString& infPath);

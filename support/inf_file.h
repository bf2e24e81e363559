#pragma once
// A driver package's INF file, read as the driver setup needs it: the model entries of "[Manufacturer]",
// the hardware IDs each model section lists, and the setup class of "[Version]". The file may be UTF-16
// (with its byte-order mark), UTF-8 or the local 8-bit code page.
#include "support/qmexpand_export.h"

#include <QString>
#include <QStringList>

class QMEXPAND_EXPORT CInfFileHelper {
public:
    // Reads the whole file; false when it cannot be read.
    bool Open(const QString& path);

    // The text right of the first "=" of each line of "[Manufacturer]".
    QStringList ModelEntries() const;
    // The section a model entry names: ", " becomes "." (a model and its platform suffix name the
    // decorated section), in brackets.
    static QString ModelSection(const QString& modelEntry);
    // The text right of the first "," of each line of a model section.
    QStringList HardwareIds(const QString& section) const;
    // Every hardware ID of every model section, in file order.
    QStringList AllHardwareIds() const;
    // The first hardware ID of the first model section that lists any; empty when none does.
    QString FirstHardwareId() const;
    // The setup class ("Class=" of "[Version]"); empty when the file names none.
    QString SetupClass() const;

    // A device's hardware ID matches an INF's when, both in upper case, the device's contains the INF's and
    // either the INF's is at least as long or the device's goes on with "&", "-", "#" or "_" right after the
    // INF's length.
    static bool HardwareIdMatches(const QString& deviceId, const QString& infId);

private:
    // The lines of a section: from the line after the first that contains header, each trimmed, without
    // empty lines and comments, up to a line that holds "[".
    QStringList sectionLines(const QString& header) const;

    QStringList lines_;
};

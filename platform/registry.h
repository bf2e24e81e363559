#pragma once
// Linux has no registry. Code written against one still runs: every key is missing, so opening fails and
// enumerations end at once, exactly as they would for a key that does not exist.
#include "platform/platform_export.h"

#include <QString>

namespace platform::registry {

constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;
constexpr long ERROR_NO_MORE_ITEMS = 259;

using Key = void*;
inline Key const HKEY_LOCAL_MACHINE = reinterpret_cast<Key>(0x80000002UL);

QMPLATFORM_EXPORT long RegOpenKey(Key parent, const QString& subKey, Key* result);
QMPLATFORM_EXPORT long RegEnumKey(Key key, unsigned index, QString* name);
QMPLATFORM_EXPORT long RegQueryValue(Key key, const QString& valueName, QString* value);
QMPLATFORM_EXPORT long RegDeleteKey(Key parent, const QString& subKey);
QMPLATFORM_EXPORT long RegCloseKey(Key key);

} // namespace platform::registry

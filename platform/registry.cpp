#include "platform/registry.h"

namespace platform::registry {

long RegOpenKey(Key, const QString&, Key* result)
{
    if (result)
        *result = nullptr;
    return ERROR_FILE_NOT_FOUND;
}

long RegEnumKey(Key, unsigned, QString*)
{
    return ERROR_NO_MORE_ITEMS;
}
long RegQueryValue(Key, const QString&, QString*)
{
    return ERROR_FILE_NOT_FOUND;
}
long RegDeleteKey(Key, const QString&)
{
    return ERROR_FILE_NOT_FOUND;
}
long RegCloseKey(Key)
{
    return ERROR_SUCCESS;
}

} // namespace platform::registry

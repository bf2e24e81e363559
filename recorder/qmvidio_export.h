#pragma once

#if defined(QMVIDIO_BUILDING)
#define QMVIDIO_EXPORT __attribute__((visibility("default")))
#else
#define QMVIDIO_EXPORT
#endif

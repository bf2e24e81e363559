#pragma once

#if defined(QMPLATFORM_BUILDING)
#define QMPLATFORM_EXPORT __attribute__((visibility("default")))
#else
#define QMPLATFORM_EXPORT
#endif

#include "devices/os_version_win.h"

#include <windows.h>

#include "devices/os_version.h"

bool IsVistaOrLater() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    GetVersionExW(&info);  // on failure the zeroed record answers false
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return IsCurrentWindows(info.dwPlatformId, info.dwMajorVersion);
}

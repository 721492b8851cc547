// What the system says about its audio devices while a source records:
// a change of the default device of a role, and devices that came, went or
// changed their state (IMMNotificationClient). The notices arrive on a
// thread of the system's; they are kept for the source's thread, which is
// woken to look at them.
#pragma once

#include <windows.h>
#include <mmdeviceapi.h>

#include <set>
#include <string>

#include "support/unique_win.h"

struct DeviceNotices {
    bool defaultChanged = false;     // of the role watched
    std::set<std::wstring> changed;  // devices added, removed or whose state changed
};

class DeviceWatch {
public:
    // Watches through `enumerator` (which outlives the watch) the default
    // device of `flow` for the console role; `wake` is set at every notice.
    // Watches nothing when the system refuses the callback.
    DeviceWatch(IMMDeviceEnumerator* enumerator, EDataFlow flow, HANDLE wake);
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;
    ~DeviceWatch();

    // The notices since the last call.
    DeviceNotices Take();

    class Client;

private:
    IMMDeviceEnumerator* m_enumerator;
    Client* m_client = nullptr;
    bool m_registered = false;
};

// Whether the device `id` is there and active.
bool IsDeviceActive(IMMDeviceEnumerator* enumerator, const std::wstring& id);
// The id of the default device of `flow` (console role); empty when none.
std::wstring DefaultDeviceId(IMMDeviceEnumerator* enumerator, EDataFlow flow);

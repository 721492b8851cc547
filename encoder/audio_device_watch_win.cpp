#include "encoder/audio_device_watch_win.h"

#include <atomic>
#include <mutex>

#include "support/com_win.h"

class DeviceWatch::Client final : public IMMNotificationClient {
public:
    Client(EDataFlow flow, HANDLE wake) : m_flow(flow), m_wake(wake) {}

    DeviceNotices Take() {
        std::lock_guard<std::mutex> lock(m_mutex);
        DeviceNotices notices = std::move(m_notices);
        m_notices = DeviceNotices();
        return notices;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
        if (object == nullptr) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IMMNotificationClient)) {
            *object = static_cast<IMMNotificationClient*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

    // IMMNotificationClient: each notice is noted and the source woken; nothing waits here.
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) noexcept override {
        if (flow == m_flow && role == eConsole) Note([](DeviceNotices& n) { n.defaultChanged = true; });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR id) noexcept override { return Changed(id); }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR id) noexcept override { return Changed(id); }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR id, DWORD) noexcept override { return Changed(id); }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) noexcept override { return S_OK; }

private:
    template <class Change>
    void Note(Change change) noexcept {
        try {
            std::lock_guard<std::mutex> lock(m_mutex);
            change(m_notices);
        } catch (...) {
            // Out of memory for a device's name: the source's own checks still find a lost device.
        }
        SetEvent(m_wake);
    }
    HRESULT Changed(LPCWSTR id) noexcept {
        if (id != nullptr) Note([id](DeviceNotices& n) { n.changed.insert(id); });
        return S_OK;
    }

    std::atomic<ULONG> m_references{1};
    EDataFlow m_flow;
    HANDLE m_wake;
    std::mutex m_mutex;
    DeviceNotices m_notices;
};

DeviceWatch::DeviceWatch(IMMDeviceEnumerator* enumerator, EDataFlow flow, HANDLE wake)
    : m_enumerator(enumerator), m_client(new Client(flow, wake)) {
    m_registered = enumerator != nullptr && SUCCEEDED(enumerator->RegisterEndpointNotificationCallback(m_client));
}

DeviceWatch::~DeviceWatch() {
    if (m_registered) m_enumerator->UnregisterEndpointNotificationCallback(m_client);
    m_client->Release();
}

DeviceNotices DeviceWatch::Take() { return m_client->Take(); }

bool IsDeviceActive(IMMDeviceEnumerator* enumerator, const std::wstring& id) {
    ComPtr<IMMDevice> device;
    if (id.empty() || FAILED(enumerator->GetDevice(id.c_str(), device.put()))) return false;
    DWORD state = 0;
    return SUCCEEDED(device->GetState(&state)) && state == DEVICE_STATE_ACTIVE;
}

std::wstring DefaultDeviceId(IMMDeviceEnumerator* enumerator, EDataFlow flow) {
    ComPtr<IMMDevice> device;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(flow, eConsole, device.put()))) return std::wstring();
    CoTaskMem<wchar_t> id;
    if (FAILED(device->GetId(id.put())) || !id) return std::wstring();
    return id.get();
}

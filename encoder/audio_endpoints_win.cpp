#include "encoder/audio_endpoints_win.h"

#include "support/com_win.h"
#include "support/device_ids_win.h"

namespace {

// {A45C254E-DF1C-4EFD-8020-67D146A850E0}, 14: the endpoint's friendly name.
const PROPERTYKEY kFriendlyName = {{0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}}, 14};

std::wstring EndpointName(IMMDevice* device) {
    ComPtr<IPropertyStore> store;
    if (FAILED(device->OpenPropertyStore(STGM_READ, store.put()))) return std::wstring();
    ScopedPropVariant value;
    if (FAILED(store->GetValue(kFriendlyName, value.put()))) return std::wstring();
    return value.Text().value_or(std::wstring());
}

}  // namespace

HRESULT CreateDeviceEnumerator(ComPtr<IMMDeviceEnumerator>& enumerator) {
    return CoCreateInstance(kMMDeviceEnumerator, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IMMDeviceEnumerator),
                            enumerator.putVoid());
}

std::vector<AudioEndpointInfo> CaptureEndpoints() {
    std::vector<AudioEndpointInfo> endpoints;
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(CreateDeviceEnumerator(enumerator))) return endpoints;
    ComPtr<IMMDeviceCollection> collection;
    if (FAILED(enumerator->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, collection.put()))) return endpoints;
    UINT count = 0;
    collection->GetCount(&count);
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        if (FAILED(collection->Item(i, device.put()))) continue;
        CoTaskMem<wchar_t> id;
        if (FAILED(device->GetId(id.put())) || !id) continue;
        endpoints.push_back({id.get(), EndpointName(device.get())});
    }
    return endpoints;
}

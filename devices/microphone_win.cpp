#include "devices/microphone_win.h"

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <strmif.h>

#include <cstdio>

#include "devices/device_ids_win.h"
#include "devices/microphone.h"
#include "support/unique_win.h"
#include "support/text_win.h"

#ifndef VFW_E_NOT_FOUND
#define VFW_E_NOT_FOUND ((HRESULT)0x80040216L)
#endif

namespace {

// A VARIANT cleared on scope exit and before every new read.
class Variant {
public:
    Variant() { VariantInit(&m_v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&m_v); }
    VARIANT* fresh() { VariantClear(&m_v); VariantInit(&m_v); return &m_v; }
    const VARIANT& value() const { return m_v; }
    VARIANT* get() { return &m_v; }
private:
    VARIANT m_v;
};

std::optional<std::wstring> ReadText(IPropertyBag* bag, const wchar_t* name) {
    Variant v;
    if (FAILED(bag->Read(name, v.fresh(), nullptr))) return std::nullopt;
    if (v.value().vt != VT_BSTR || v.value().bstrVal == nullptr) return std::wstring();
    return std::wstring(v.value().bstrVal, SysStringLen(v.value().bstrVal));
}

std::optional<int32_t> ReadInteger(IPropertyBag* bag, const wchar_t* name) {
    Variant v;
    if (FAILED(bag->Read(name, v.fresh(), nullptr))) return std::nullopt;
    Variant converted;
    if (FAILED(VariantChangeType(converted.fresh(), v.get(), 0, VT_I4))) return 0;
    return static_cast<int32_t>(converted.value().lVal);
}

}  // namespace

std::wstring FindMicrophoneName() {
    ComPtr<IEnumMoniker> devices;
    {
        ComPtr<ICreateDevEnum> enumerator;
        if (FAILED(CoCreateInstance(kSystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, kICreateDevEnum,
                                    enumerator.putVoid())))
            return std::wstring();
        HRESULT hr = enumerator->CreateClassEnumerator(kAudioInputDeviceCategory, devices.put(), 0);
        if (hr == S_FALSE) hr = VFW_E_NOT_FOUND;  // an empty category
        if (FAILED(hr) || devices.get() == nullptr) return std::wstring();
    }

    NextAudioDevice next = [&devices](AudioDeviceProperties& device) {
        for (;;) {
            ComPtr<IMoniker> moniker;
            if (devices->Next(1, moniker.put(), nullptr) != S_OK) return false;
            ComPtr<IPropertyBag> bag;
            if (FAILED(moniker->BindToStorage(nullptr, nullptr, kIPropertyBag, bag.putVoid()))) continue;
            device.description = ReadText(bag.get(), L"Description");
            if (!device.description) device.friendlyName = ReadText(bag.get(), kFriendlyNameProperty);
            device.waveInId = ReadInteger(bag.get(), L"WaveInID");
            if (!device.waveInId) device.devicePath = ReadText(bag.get(), L"DevicePath");
            return true;
        }
    };
    PassedOverDevice report = [](const AudioDeviceProperties& device) {
        if (device.devicePath) std::printf("Device path: %S\n", device.devicePath->c_str());
    };
    const MicrophoneChoice choice = ChooseMicrophone(next, report);
    if (choice.waveInId) std::printf("WaveIn ID: %d\n", static_cast<int>(*choice.waveInId));
    return choice.name;
}

#include "devices/microphone_win.h"

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <strmif.h>

#include <cstdio>

#include "devices/microphone.h"
#include "support/unique_win.h"
#include "support/text_win.h"

#ifndef VFW_E_NOT_FOUND
#define VFW_E_NOT_FOUND ((HRESULT)0x80040216L)
#endif

namespace {

// {62BE5D10-60EB-11D0-BD3B-00A0C911CE86}
const CLSID kSystemDeviceEnum = {0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {29840822-5B84-11D0-BD3B-00A0C911CE86}
const IID kICreateDevEnum = {0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {33D9A762-90C8-11D0-BD43-00A0C911CE86}
const CLSID kAudioInputDeviceCategory = {0x33D9A762, 0x90C8, 0x11D0, {0xBD, 0x43, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {55272A00-42CB-11CE-8135-00AA004BB851}
const IID kIPropertyBag = {0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

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
            if (!device.description) device.friendlyName = ReadText(bag.get(), L"FriendlyName");
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

#include "devices/speaker_sound_win.h"

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <strmif.h>

#include <string>

#include "devices/device_ids_win.h"
#include "encoder/protocol.h"
#include "support/unique_win.h"

namespace {

bool SpeakerFilterRegistered() {
    ComPtr<ICreateDevEnum> enumerator;
    if (FAILED(CoCreateInstance(kSystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, kICreateDevEnum, enumerator.putVoid())))
        return false;
    ComPtr<IEnumMoniker> devices;
    if (enumerator->CreateClassEnumerator(kAudioInputDeviceCategory, devices.put(), 0) != S_OK) return false;
    for (;;) {
        ComPtr<IMoniker> moniker;
        if (devices->Next(1, moniker.put(), nullptr) != S_OK) return false;
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, kIPropertyBag, bag.putVoid()))) continue;
        VARIANT name;
        VariantInit(&name);
        const bool found = SUCCEEDED(bag->Read(kFriendlyNameProperty, &name, nullptr)) && name.vt == VT_BSTR &&
                           name.bstrVal && std::wstring(name.bstrVal) == kSpeakerFilterName;
        VariantClear(&name);
        if (found) return true;
    }
}

}  // namespace

bool CanRecordSpeakerSound() {
    if (SpeakerFilterRegistered()) return true;
    // The encoder records the capture endpoint named here in place of the
    // playback device's loopback (the tests' sound system refuses loopback).
    if (GetEnvironmentVariableW(L"TAVRIX_SPEAKER_ENDPOINT", nullptr, 0) > 0) return true;
    return PlaybackLoopbackWorks();
}

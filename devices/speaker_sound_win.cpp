#include "devices/speaker_sound_win.h"

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <strmif.h>

#include <string>

#include "support/unique_win.h"

namespace {

// {62BE5D10-60EB-11D0-BD3B-00A0C911CE86}
const CLSID kSystemDeviceEnum = {0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {29840822-5B84-11D0-BD3B-00A0C911CE86}
const IID kICreateDevEnum = {0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {33D9A762-90C8-11D0-BD43-00A0C911CE86}
const CLSID kAudioInputDeviceCategory = {0x33D9A762, 0x90C8, 0x11D0, {0xBD, 0x43, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {55272A00-42CB-11CE-8135-00AA004BB851}
const IID kIPropertyBag = {0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

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
        const bool found = SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR &&
                           name.bstrVal && std::wstring(name.bstrVal) == L"virtual-audio-capturer";
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

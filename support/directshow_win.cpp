#include "support/directshow_win.h"

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <strmif.h>

#include "support/com_win.h"
#include "support/device_ids_win.h"
#include "support/unique_win.h"

namespace {

std::optional<std::wstring> ReadText(IPropertyBag* bag, const wchar_t* name) {
    ScopedVariant value;
    if (FAILED(bag->Read(name, value.put(), nullptr))) return std::nullopt;
    // A value of another type counts as present but empty, as a null string does.
    return value.Text().value_or(std::wstring());
}

std::optional<int32_t> ReadInteger(IPropertyBag* bag, const wchar_t* name) {
    ScopedVariant value;
    if (FAILED(bag->Read(name, value.put(), nullptr))) return std::nullopt;
    ScopedVariant converted;
    if (FAILED(VariantChangeType(converted.put(), value.get(), 0, VT_I4))) return 0;
    return static_cast<int32_t>(converted.value().lVal);
}

}  // namespace

std::vector<DirectShowInput> DirectShowInputs(DirectShowCategory category) {
    std::vector<DirectShowInput> inputs;
    ComPtr<ICreateDevEnum> enumerator;
    if (FAILED(CoCreateInstance(kSystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, kICreateDevEnum,
                                enumerator.putVoid())))
        return inputs;
    ComPtr<IEnumMoniker> devices;
    const HRESULT hr = enumerator->CreateClassEnumerator(
        category == DirectShowCategory::Video ? kVideoInputDeviceCategory : kAudioInputDeviceCategory,
        devices.put(), 0);
    if (hr != S_OK || !devices) return inputs;  // S_FALSE: the category is empty
    for (;;) {
        ComPtr<IMoniker> moniker;
        if (devices->Next(1, moniker.put(), nullptr) != S_OK) break;
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, kIPropertyBag, bag.putVoid()))) continue;
        DirectShowInput input;
        input.friendlyName = ReadText(bag.get(), kFriendlyNameProperty);
        input.description = ReadText(bag.get(), L"Description");
        input.waveInId = ReadInteger(bag.get(), L"WaveInID");
        input.devicePath = ReadText(bag.get(), L"DevicePath");
        inputs.push_back(std::move(input));
    }
    return inputs;
}

std::vector<std::wstring> DirectShowInputNames(DirectShowCategory category) {
    std::vector<std::wstring> names;
    for (const DirectShowInput& input : DirectShowInputs(category))
        if (input.friendlyName && !input.friendlyName->empty()) names.push_back(*input.friendlyName);
    return names;
}

// Owners of what COM hands out besides interface pointers: memory from the
// task allocator, and the VARIANT and PROPVARIANT values property stores fill.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <propidl.h>

#include <optional>
#include <string>

// Memory the callee allocated with CoTaskMemAlloc (an endpoint id, a mix
// format): freed with CoTaskMemFree when the owner goes.
template <class T>
class CoTaskMem {
public:
    CoTaskMem() = default;
    CoTaskMem(const CoTaskMem&) = delete;
    CoTaskMem& operator=(const CoTaskMem&) = delete;
    ~CoTaskMem() { reset(); }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For a call that fills the pointer: what was held is freed first.
    T** put() { reset(); return &m_p; }
    void reset() {
        if (m_p) CoTaskMemFree(m_p);
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};

// A VARIANT cleared when the owner goes and before every new fill.
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&m_v); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ~ScopedVariant() { VariantClear(&m_v); }
    // For a call that fills the value: what was held is cleared first.
    VARIANT* put() {
        VariantClear(&m_v);
        VariantInit(&m_v);
        return &m_v;
    }
    VARIANT* get() { return &m_v; }
    const VARIANT& value() const { return m_v; }
    // The text a string value holds (empty for a null string); nothing when
    // the value is not a string.
    std::optional<std::wstring> Text() const {
        if (m_v.vt != VT_BSTR) return std::nullopt;
        if (m_v.bstrVal == nullptr) return std::wstring();
        return std::wstring(m_v.bstrVal, SysStringLen(m_v.bstrVal));
    }

private:
    VARIANT m_v;
};

// A PROPVARIANT cleared when the owner goes and before every new fill.
class ScopedPropVariant {
public:
    ScopedPropVariant() { PropVariantInit(&m_v); }
    ScopedPropVariant(const ScopedPropVariant&) = delete;
    ScopedPropVariant& operator=(const ScopedPropVariant&) = delete;
    ~ScopedPropVariant() { PropVariantClear(&m_v); }
    PROPVARIANT* put() {
        PropVariantClear(&m_v);
        PropVariantInit(&m_v);
        return &m_v;
    }
    const PROPVARIANT& value() const { return m_v; }
    // The text of a wide-string value; nothing for any other type.
    std::optional<std::wstring> Text() const {
        if (m_v.vt != VT_LPWSTR || m_v.pwszVal == nullptr) return std::nullopt;
        return std::wstring(m_v.pwszVal);
    }

private:
    PROPVARIANT m_v;
};

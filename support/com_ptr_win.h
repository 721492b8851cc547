// The one owner of a COM interface pointer: released when the owner goes or
// is filled again, never copied.
#pragma once

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    // For a call that fills the pointer: what was held is released first.
    T** put() { reset(); return &m_p; }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};

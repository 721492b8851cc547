// One owner template for every handle type: move-only, closes on destruction.
// Each handle type is a traits struct and one alias line (see unique_win.h).
#pragma once

#include <utility>

template <class Traits>
class Unique {
public:
    using T = typename Traits::Type;
    Unique() = default;
    explicit Unique(T h) : m_h(h) {}
    Unique(Unique&& o) noexcept : m_h(o.release()) {}
    Unique& operator=(Unique&& o) noexcept { reset(o.release()); return *this; }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }
    T get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::Invalid(); }
    T release() { T h = m_h; m_h = Traits::Invalid(); return h; }
    void reset(T h = Traits::Invalid()) {
        if (*this) Traits::Close(m_h);
        m_h = h;
    }
    // For APIs that fill in a handle: releases what is held and hands out the slot.
    T* put() { reset(); return &m_h; }
private:
    T m_h = Traits::Invalid();
};

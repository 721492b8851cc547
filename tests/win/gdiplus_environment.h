// GDI+ for a whole test program that draws skins, started once as the
// program's entry starts it (the library never starts it itself).
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "support/unique_win.h"

class GdiplusEnvironment : public testing::Environment {
public:
    void SetUp() override {
        m_gdiplus = std::make_unique<ScopedGdiplus>();
        ASSERT_TRUE(m_gdiplus->ok());
    }
    void TearDown() override { m_gdiplus.reset(); }

private:
    std::unique_ptr<ScopedGdiplus> m_gdiplus;
};

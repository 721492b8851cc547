// A level meter: a rounded track ("bkcolor") with a bar filled from the left
// to the level ("forecolor"), in the warning colour ("warncolor") while a
// warning stands. Skin tag "Meter".
#pragma once

#include <windows.h>

#include "uilib/ui_control.h"

class CMeterUI : public CControlUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    // The level as a fill from 0 (empty) to 1 (full); repaints only when the
    // filled width changes by a pixel or more, so a meter moving with the
    // sound costs a repaint only when it shows. True when it repaints.
    bool SetValue(double fill);
    double GetValue() const { return m_value; }
    // True when the meter's look changed.
    bool SetWarning(bool warning);
    bool IsWarning() const { return m_warning; }

protected:
    void PaintStatusImage(HDC hdc) override;

private:
    int FilledWidth(double fill) const;

    double m_value = 0;
    bool m_warning = false;
    UiColor m_foreColor = 0xFF22C55E;
    UiColor m_warnColor = 0xFFEF4444;
};

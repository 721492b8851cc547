// The option, a button with a selection (alone or in a group), and the
// check box.
#pragma once

#include <windows.h>

#include <string>

#include "uilib/ui_button.h"

// A button with a selection. In a group, selecting one deselects the others
// and a click selects; without a group a click toggles. The "click"
// notification goes out before the selection changes.
class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;

    const std::wstring& GetGroup() const { return m_group; }
    void SetGroup(const std::wstring& group);
    bool IsSelected() const { return m_selected; }
    // Changes the selection; notifies "selectchanged" when bNotify and it changed.
    virtual void Selected(bool bSelected, bool bNotify = true);
    bool Activate() override;

protected:
    UINT PaintState() const override;
    void PaintBkColor(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintBorder(HDC hdc) override;
    UiColor CurrentTextColor() const override;

    std::wstring m_group;
    bool m_selected = false;
    UiColor m_selectedBkColor = 0;
    UiColor m_selectedTextColor = 0;
    UiColor m_selectedBorderColor = 0;
    std::wstring m_selectedImage;
    std::wstring m_selectedHotImage;
    std::wstring m_selectedDisabledImage;
};

// An option without a group, with the check-box vocabulary.
class CCheckBoxUI : public COptionUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool bCheck) { Selected(bCheck); }
};

// Controls that hold others: the container, whose children fill it whole,
// and the vertical and horizontal layouts.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uilib/ui_control.h"

// A control that holds others; children fill it whole unless a layout places them.
class CContainerUI : public CControlUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    // Takes ownership of the child.
    bool Add(CControlUI* control);
    int GetCount() const { return static_cast<int>(m_items.size()); }
    CControlUI* GetItemAt(int index) const;

    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    CControlUI* FindControlAt(POINT pt) override;
    void ForEach(const std::function<void(CControlUI*)>& visit) override;
    void DoPaint(HDC hdc, const RECT& rcPaint) override;

protected:
    // The rectangle left for the children: the position less the inset.
    RECT ContentRect() const;
    void PlaceFloats();
    // Lays the children that are not floating one after another, top to
    // bottom (`vertical`) or left to right: along the line each gets its
    // fixed length or a share of what is left, across it its fixed length
    // or the content's whole extent less its padding.
    void LayOutInLine(bool vertical);

    std::vector<std::unique_ptr<CControlUI>> m_items;
    RECT m_inset{};
    int m_childPadding = 0;
};

// Children one below the other; those without a height share what is left.
class CVerticalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetPos(RECT rc) override;
};

// Children side by side; those without a width share what is left.
class CHorizontalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetPos(RECT rc) override;
};

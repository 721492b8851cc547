// Containers and the two layouts: where the children go.
#include "uilib/ui_container.h"

#include "uilib/ui_attributes.h"
#include "uilib/ui_control_shared.h"
#include "uilib/ui_layout.h"
#include "uilib/ui_manager.h"
#include "uilib/ui_values.h"

// -------------------------------------------------------------- CContainerUI

const wchar_t* CContainerUI::GetClass() const { return L"ContainerUI"; }

void* CContainerUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"Container") return this;
    return CControlUI::GetInterface(pstrName);
}

bool CContainerUI::Add(CControlUI* control) {
    if (control == nullptr) return false;
    m_items.emplace_back(control);
    control->SetManager(m_manager, this);
    NeedUpdate();
    return true;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[static_cast<size_t>(index)].get();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    CControlUI::SetManager(manager, parent);
    for (auto& item : m_items) item->SetManager(manager, this);
}

RECT CContainerUI::ContentRect() const { return Deflate(m_pos, Px(m_inset)); }

void CContainerUI::PlaceFloats() {
    for (auto& item : m_items) {
        if (!item->IsVisible() || !item->IsFloat()) continue;
        const RECT fp = item->GetFloatPos();
        item->SetPos(RECT{m_pos.left + fp.left, m_pos.top + fp.top, m_pos.left + fp.right, m_pos.top + fp.bottom});
    }
}

void CContainerUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT area = ContentRect();
    for (auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        item->SetPos(Deflate(area, item->GetPadding()));
    }
    PlaceFloats();
}

void CContainerUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    int32_t n = 0;
    switch (UiAttributeNamed(name)) {
    case UiAttribute::Inset: AssignRect(value, m_inset); break;
    case UiAttribute::ChildPadding: if (ParseUiInt(value, n) && n >= 0) m_childPadding = n; break;
    default: CControlUI::SetAttribute(name, value); break;
    }
}

CControlUI* CContainerUI::FindControlAt(POINT pt) {
    if (!m_visible || !::PtInRect(&m_pos, pt)) return nullptr;
    // Later children are painted over earlier ones: ask them first.
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        if (CControlUI* found = (*it)->FindControlAt(pt)) return found;
    }
    return this;
}

void CContainerUI::ForEach(const std::function<void(CControlUI*)>& visit) {
    visit(this);
    for (auto& item : m_items) item->ForEach(visit);
}

void CContainerUI::DoPaint(HDC hdc, const RECT& rcPaint) {
    RECT overlap{};
    if (!::IntersectRect(&overlap, &m_pos, &rcPaint)) return;
    CControlUI::DoPaint(hdc, rcPaint);
    for (auto& item : m_items) {
        if (item->IsVisible()) item->DoPaint(hdc, rcPaint);
    }
}

// ------------------------------------------------------------- the layouts

void CContainerUI::LayOutInLine(bool vertical) {
    const RECT area = ContentRect();
    const int alongExtent = vertical ? area.bottom - area.top : area.right - area.left;
    const int acrossExtent = vertical ? area.right - area.left : area.bottom - area.top;
    std::vector<CControlUI*> flow;
    std::vector<UiAxisItem> axis;
    for (auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        const RECT pad = item->GetPadding();
        flow.push_back(item.get());
        axis.push_back(vertical ? UiAxisItem{item->GetFixedHeight(), static_cast<int>(pad.top), static_cast<int>(pad.bottom)}
                                : UiAxisItem{item->GetFixedWidth(), static_cast<int>(pad.left), static_cast<int>(pad.right)});
    }
    const std::vector<int32_t> lengths = ShareLength(axis, alongExtent, Px(m_childPadding));
    int along = vertical ? area.top : area.left;
    for (size_t i = 0; i < flow.size(); ++i) {
        const RECT pad = flow[i]->GetPadding();
        const int fixedAcross = vertical ? flow[i]->GetFixedWidth() : flow[i]->GetFixedHeight();
        const int padAcross = vertical ? pad.left + pad.right : pad.top + pad.bottom;
        const int across = fixedAcross != 0 ? fixedAcross : acrossExtent - padAcross;
        const int side = vertical ? area.left + pad.left : area.top + pad.top;
        along += vertical ? pad.top : pad.left;
        flow[i]->SetPos(vertical ? RECT{side, along, side + across, along + lengths[i]}
                                 : RECT{along, side, along + lengths[i], side + across});
        along += lengths[i] + (vertical ? pad.bottom : pad.right) + Px(m_childPadding);
    }
    PlaceFloats();
}

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"VerticalLayout") return this;
    return CContainerUI::GetInterface(pstrName);
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayOutInLine(true);
}

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"HorizontalLayout") return this;
    return CContainerUI::GetInterface(pstrName);
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayOutInLine(false);
}

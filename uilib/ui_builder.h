// CDialogBuilder: reads a skin file (XML, through XmlLite) into a tree of
// elements, then builds the control tree from it and gives the window's paint
// manager the window's attributes.
#pragma once

#include <windows.h>

#include <string>

#include "uilib/ui_attributes.h"
#include "uilib/ui_control.h"

class CPaintManagerUI;

// Makes controls of classes the library does not know (null: not handled).
class IDialogBuilderCallback {
public:
    virtual CControlUI* CreateControl(const wchar_t* pstrClass) = 0;
protected:
    virtual ~IDialogBuilderCallback() = default;
};

class CDialogBuilder {
public:
    // Builds the skin `xml` (a file name under the resource path, or a full
    // path). Returns the root control, or null when the skin cannot be used;
    // then GetError() says what is wrong and GetErrorFile() which file.
    // `type` is unused (skins are files); the callback may be null.
    CControlUI* Create(const wchar_t* xml, const wchar_t* type = nullptr,
                       IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);

    // Empty after a successful Create.
    const std::wstring& GetError() const { return m_error; }
    const std::wstring& GetErrorFile() const { return m_errorFile; }

    // The controls of a skin already read: the Window element's settings and
    // fonts go to the manager (when given); its first control element becomes
    // the root. Null when there is no control element.
    static CControlUI* BuildControls(const UiSkinNode& window, IDialogBuilderCallback* pCallback,
                                     CPaintManagerUI* pManager);

private:
    std::wstring m_error;
    std::wstring m_errorFile;
};

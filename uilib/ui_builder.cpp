// Skin files to control trees, read with the system's XmlLite.
#include "uilib/ui_builder.h"

#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <memory>
#include <vector>

#include "support/unique_win.h"
#include "uilib/ui_button.h"
#include "uilib/ui_container.h"
#include "uilib/ui_label.h"
#include "uilib/ui_manager.h"
#include "uilib/ui_meter.h"
#include "uilib/ui_option.h"

namespace {

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// XmlLite's factory, from the system folder only (never the current folder).
CreateXmlReaderFn XmlReaderFactory() {
    static CreateXmlReaderFn factory = [] {
        const std::wstring path = SystemFolderFile(L"xmllite.dll");
        if (path.empty()) return static_cast<CreateXmlReaderFn>(nullptr);
        HMODULE module = ::LoadLibraryW(path.c_str());
        if (module == nullptr) return static_cast<CreateXmlReaderFn>(nullptr);
        return reinterpret_cast<CreateXmlReaderFn>(
            reinterpret_cast<void*>(::GetProcAddress(module, "CreateXmlReader")));
    }();
    return factory;
}

bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& data) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart >= (16 << 20)) return false;
    data.resize(static_cast<size_t>(size.QuadPart));
    if (data.empty()) return true;
    DWORD got = 0;
    return ::ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr) && got == data.size();
}

CControlUI* MakeControl(const std::wstring& tag) {
    if (tag == L"Control") return new CControlUI;
    if (tag == L"Container") return new CContainerUI;
    if (tag == L"VerticalLayout") return new CVerticalLayoutUI;
    if (tag == L"HorizontalLayout") return new CHorizontalLayoutUI;
    if (tag == L"Label") return new CLabelUI;
    if (tag == L"Text") return new CTextUI;
    if (tag == L"Button") return new CButtonUI;
    if (tag == L"Option") return new COptionUI;
    if (tag == L"CheckBox") return new CCheckBoxUI;
    if (tag == L"Meter") return new CMeterUI;
    return nullptr;
}

// The Window element's settings, given to the window's paint manager.
void ApplyWindow(const UiAttributes& attributes, CPaintManagerUI* manager) {
    if (manager == nullptr) return;
    const UiWindowAttributes window = ReadUiWindowAttributes(attributes);
    if (const auto& c = window.caption) manager->SetCaptionRect(RECT{c->left, c->top, c->right, c->bottom});
    if (const auto& round = window.roundCorner) manager->SetRoundCorner((*round)[0], (*round)[1]);
    if (window.defaultTextColor) manager->SetDefaultTextColor(*window.defaultTextColor);
    // Last: sizing the window lays it out with the round corners already known.
    if (const auto& size = window.size) manager->SetInitSize((*size)[0], (*size)[1]);
}

void ApplyFont(const UiAttributes& attributes, CPaintManagerUI* manager) {
    if (manager == nullptr) return;
    const UiFontAttributes f = ReadUiFontAttributes(attributes);
    manager->AddFont(f.id, f.name, f.size, f.bold, f.underline, f.italic, f.isDefault);
}

std::wstring ParseProblem(IXmlReader* reader, HRESULT hr) {
    UINT line = 0;
    UINT column = 0;
    reader->GetLineNumber(&line);
    reader->GetLinePosition(&column);
    wchar_t text[160];
    swprintf(text, 160, L"不是正确的 XML（第 %u 行第 %u 列，错误 0x%08lX）", line, column,
             static_cast<unsigned long>(hr));
    return text;
}

// The element the reader stands on, with its attributes.
UiSkinNode ReadElement(IXmlReader* reader) {
    UiSkinNode node;
    const wchar_t* name = nullptr;
    reader->GetLocalName(&name, nullptr);
    node.name = name != nullptr ? name : L"";
    for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
        const wchar_t* attrName = nullptr;
        const wchar_t* attrValue = nullptr;
        reader->GetLocalName(&attrName, nullptr);
        reader->GetValue(&attrValue, nullptr);
        node.attributes.emplace_back(attrName != nullptr ? attrName : L"", attrValue != nullptr ? attrValue : L"");
    }
    reader->MoveToElement();
    return node;
}

// Reads the file's bytes into a tree of elements; "" or what is wrong. An
// empty root name means the file holds no element at all.
std::wstring ReadSkinTree(const std::vector<BYTE>& data, UiSkinNode& root) {
    CreateXmlReaderFn factory = XmlReaderFactory();
    if (factory == nullptr) return L"系统缺少 xmllite.dll，无法读取界面文件";
    ComPtr<IStream> stream;
    *stream.put() = ::SHCreateMemStream(data.data(), static_cast<UINT>(data.size()));
    if (!stream) return L"内存不足";
    ComPtr<IXmlReader> reader;
    if (FAILED(factory(__uuidof(IXmlReader), reader.putVoid(), nullptr))) return L"无法创建 XML 读取器";
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    if (FAILED(reader->SetInput(stream.get()))) return L"无法读取文件内容";

    // The open elements, outermost first. A node's place stays valid while
    // it is open: its parent gains no further children until it is closed.
    std::vector<UiSkinNode*> open;
    XmlNodeType type = XmlNodeType_None;
    // Every node takes at least one byte of the file. Some XmlLite builds
    // (Wine's) keep answering the same node at a start tag cut off by the end
    // of the file; more nodes than bytes means the reader is stuck there.
    size_t nodes = 0;
    for (;;) {
        const HRESULT hr = reader->Read(&type);
        if (hr == S_FALSE) return L"";
        if (FAILED(hr)) return ParseProblem(reader.get(), hr);
        if (++nodes > data.size() + 1) return ParseProblem(reader.get(), MX_E_INPUTEND);
        if (type == XmlNodeType_EndElement) {
            if (!open.empty()) open.pop_back();
            continue;
        }
        if (type != XmlNodeType_Element) continue;
        const bool empty = reader->IsEmptyElement() != FALSE;
        UiSkinNode* node = &root;
        if (open.empty()) {
            root = ReadElement(reader.get());
        } else {
            open.back()->children.push_back(ReadElement(reader.get()));
            node = &open.back()->children.back();
        }
        if (!empty) open.push_back(node);
    }
}

CControlUI* NewControl(const std::wstring& element, IDialogBuilderCallback* callback) {
    CControlUI* control = MakeControl(element);
    if (control == nullptr && callback != nullptr) control = callback->CreateControl(element.c_str());
    return control;
}

// Gives a control already in its tree its attributes, then builds its child
// elements into it. Unknown elements, fonts below the window and children
// of a plain control are not ours: skipped with everything inside them.
void FillControl(CControlUI* control, const UiSkinNode& node, IDialogBuilderCallback* callback) {
    for (const auto& a : node.attributes) control->SetAttribute(a.first, a.second);
    auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"));
    if (container == nullptr) return;
    for (const UiSkinNode& child : node.children) {
        if (child.name == L"Font") continue;
        CControlUI* made = NewControl(child.name, callback);
        if (made == nullptr) continue;
        container->Add(made);
        FillControl(made, child, callback);
    }
}

}  // namespace

CControlUI* CDialogBuilder::Create(const wchar_t* xml, const wchar_t*, IDialogBuilderCallback* pCallback,
                                   CPaintManagerUI* pManager, CControlUI* pParent) {
    m_error.clear();
    m_errorFile.clear();
    std::wstring name = xml != nullptr ? xml : L"";
    bool absolute = (name.size() > 1 && name[1] == L':') || (!name.empty() && (name[0] == L'\\' || name[0] == L'/'));
    std::wstring path = absolute ? name : CPaintManagerUI::GetResourcePath() + name;
    auto fail = [&](const std::wstring& problem) -> CControlUI* {
        m_error = problem;
        m_errorFile = path;
        return nullptr;
    };

    std::vector<BYTE> data;
    if (name.empty() || !ReadWholeFile(path, data)) return fail(L"文件不存在或无法读取");
    if (data.empty()) return fail(L"文件是空的");
    UiSkinNode window;
    const std::wstring problem = ReadSkinTree(data, window);
    if (!problem.empty()) return fail(problem);
    if (window.name.empty()) return fail(L"没有 Window 元素");
    if (window.name != L"Window") return fail(L"最外层的元素不是 Window");

    CControlUI* root = BuildControls(window, pCallback, pManager);
    if (root == nullptr) return fail(L"没有任何控件");
    if (pParent != nullptr) {
        if (auto* container = static_cast<CContainerUI*>(pParent->GetInterface(L"Container"))) {
            container->Add(root);
        }
    }
    return root;
}

CControlUI* CDialogBuilder::BuildControls(const UiSkinNode& window, IDialogBuilderCallback* pCallback,
                                          CPaintManagerUI* pManager) {
    ApplyWindow(window.attributes, pManager);
    std::unique_ptr<CControlUI> root;
    for (const UiSkinNode& child : window.children) {
        if (child.name == L"Font") {
            ApplyFont(child.attributes, pManager);
            continue;
        }
        if (root != nullptr) continue;  // one root control; a second is not ours
        std::unique_ptr<CControlUI> control(NewControl(child.name, pCallback));
        if (control == nullptr) continue;
        control->SetManager(pManager, nullptr);
        FillControl(control.get(), child, pCallback);
        root = std::move(control);
    }
    return root.release();
}

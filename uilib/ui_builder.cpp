// Skin files to control trees, read with the system's XmlLite.
#include "uilib/ui_builder.h"

#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <memory>
#include <vector>

#include "uilib/ui_manager.h"
#include "uilib/ui_values.h"

namespace {

// Releases a COM interface when it goes out of scope.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (m_p != nullptr) m_p->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* get() const { return m_p; }
    T** put() { return &m_p; }
    T* operator->() const { return m_p; }
private:
    T* m_p = nullptr;
};

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// XmlLite's factory, from the system folder only (never the current folder).
CreateXmlReaderFn XmlReaderFactory() {
    static CreateXmlReaderFn factory = [] {
        wchar_t system[MAX_PATH] = {};
        UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return static_cast<CreateXmlReaderFn>(nullptr);
        std::wstring path = std::wstring(system) + L"\\xmllite.dll";
        HMODULE module = ::LoadLibraryW(path.c_str());
        if (module == nullptr) return static_cast<CreateXmlReaderFn>(nullptr);
        return reinterpret_cast<CreateXmlReaderFn>(
            reinterpret_cast<void*>(::GetProcAddress(module, "CreateXmlReader")));
    }();
    return factory;
}

bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& data) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart < (16 << 20);
    if (ok) {
        data.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = data.empty() || (::ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &got, nullptr) &&
                              got == data.size());
    }
    ::CloseHandle(file);
    return ok;
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
    return nullptr;
}

using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

std::wstring FindAttribute(const Attributes& attributes, const wchar_t* name) {
    for (const auto& a : attributes) {
        if (a.first == name) return a.second;
    }
    return L"";
}

void ApplyWindow(const Attributes& attributes, CPaintManagerUI* manager) {
    if (manager == nullptr) return;
    std::array<int32_t, 2> pair{};
    std::array<int32_t, 4> quad{};
    uint32_t color = 0;
    if (ParseUiInts(FindAttribute(attributes, L"caption"), quad)) {
        manager->SetCaptionRect(RECT{quad[0], quad[1], quad[2], quad[3]});
    }
    if (ParseUiInts(FindAttribute(attributes, L"roundcorner"), pair) && pair[0] >= 0 && pair[1] >= 0) {
        manager->SetRoundCorner(pair[0], pair[1]);
    }
    if (ParseUiColor(FindAttribute(attributes, L"defaulttextcolor"), color)) manager->SetDefaultTextColor(color);
    // Last: sizing the window lays it out with the round corners already known.
    if (ParseUiInts(FindAttribute(attributes, L"size"), pair) && pair[0] >= 0 && pair[1] >= 0) {
        manager->SetInitSize(pair[0], pair[1]);
    }
}

void ApplyFont(const Attributes& attributes, CPaintManagerUI* manager) {
    if (manager == nullptr) return;
    int32_t id = -1;
    int32_t size = 14;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool isDefault = false;
    ParseUiInt(FindAttribute(attributes, L"id"), id);
    ParseUiInt(FindAttribute(attributes, L"size"), size);
    ParseUiBool(FindAttribute(attributes, L"bold"), bold);
    ParseUiBool(FindAttribute(attributes, L"underline"), underline);
    ParseUiBool(FindAttribute(attributes, L"italic"), italic);
    ParseUiBool(FindAttribute(attributes, L"default"), isDefault);
    manager->AddFont(id, FindAttribute(attributes, L"name"), size, bold, underline, italic, isDefault);
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

    CreateXmlReaderFn factory = XmlReaderFactory();
    if (factory == nullptr) return fail(L"系统缺少 xmllite.dll，无法读取界面文件");
    ComRef<IStream> stream;
    *stream.put() = ::SHCreateMemStream(data.data(), static_cast<UINT>(data.size()));
    if (stream.get() == nullptr) return fail(L"内存不足");
    ComRef<IXmlReader> reader;
    if (FAILED(factory(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.put()), nullptr))) {
        return fail(L"无法创建 XML 读取器");
    }
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    if (FAILED(reader->SetInput(stream.get()))) return fail(L"无法读取文件内容");

    std::unique_ptr<CControlUI> root;
    // One entry per open element: the container its children go into, or
    // null when they are not controls (window, unknown elements).
    struct Open {
        std::wstring tag;
        CControlUI* control;
        bool ignored;
    };
    std::vector<Open> open;
    bool sawWindow = false;

    XmlNodeType type = XmlNodeType_None;
    // Every node takes at least one byte of the file. Some XmlLite builds
    // (Wine's) keep answering the same node at a start tag cut off by the end
    // of the file; more nodes than bytes means the reader is stuck there.
    size_t nodes = 0;
    for (;;) {
        HRESULT hr = reader->Read(&type);
        if (hr == S_FALSE) break;
        if (FAILED(hr)) return fail(ParseProblem(reader.get(), hr));
        if (++nodes > data.size() + 1) return fail(ParseProblem(reader.get(), MX_E_INPUTEND));
        if (type == XmlNodeType_EndElement) {
            if (!open.empty()) open.pop_back();
            continue;
        }
        if (type != XmlNodeType_Element) continue;

        const wchar_t* localName = nullptr;
        reader->GetLocalName(&localName, nullptr);
        std::wstring tag = localName != nullptr ? localName : L"";
        bool empty = reader->IsEmptyElement() != FALSE;
        Attributes attributes;
        for (hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
            const wchar_t* attrName = nullptr;
            const wchar_t* attrValue = nullptr;
            reader->GetLocalName(&attrName, nullptr);
            reader->GetValue(&attrValue, nullptr);
            attributes.emplace_back(attrName != nullptr ? attrName : L"", attrValue != nullptr ? attrValue : L"");
        }
        reader->MoveToElement();

        Open entry{tag, nullptr, false};
        if (open.empty()) {
            if (tag != L"Window") return fail(L"最外层的元素不是 Window");
            sawWindow = true;
            ApplyWindow(attributes, pManager);
        } else if (open.back().ignored) {
            entry.ignored = true;
        } else if (tag == L"Font") {
            if (open.size() == 1) ApplyFont(attributes, pManager);
            entry.ignored = true;
        } else {
            CControlUI* control = MakeControl(tag);
            if (control == nullptr && pCallback != nullptr) control = pCallback->CreateControl(tag.c_str());
            CContainerUI* parent = nullptr;
            if (open.size() > 1 && open.back().control != nullptr) {
                parent = static_cast<CContainerUI*>(open.back().control->GetInterface(L"Container"));
            }
            bool placed = false;
            if (control != nullptr && open.size() == 1 && root == nullptr) {
                root.reset(control);
                control->SetManager(pManager, nullptr);
                placed = true;
            } else if (control != nullptr && parent != nullptr) {
                parent->Add(control);
                placed = true;
            }
            if (!placed) {
                // Unknown elements, a second root, children of a plain control:
                // not ours, skipped with everything inside them.
                delete control;
                entry.ignored = true;
            } else {
                for (const auto& a : attributes) control->SetAttribute(a.first, a.second);
                entry.control = control;
            }
        }
        if (!empty) open.push_back(entry);
    }
    if (!sawWindow) return fail(L"没有 Window 元素");
    if (root == nullptr) return fail(L"没有任何控件");
    if (pParent != nullptr) {
        if (auto* container = static_cast<CContainerUI*>(pParent->GetInterface(L"Container"))) {
            container->Add(root.get());
        }
    }
    return root.release();
}

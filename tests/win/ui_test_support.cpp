#include "tests/win/ui_test_support.h"

#include <cstdio>

#include "recording/encoder_process_win.h"
#include "recording/record_options.h"
#include "support/text_win.h"
#include "ui/process_frame.h"
#include "ui/ready_frame.h"
#include "ui/status_frame.h"
#include "ui/window_state.h"

namespace {

// The windows draw with GDI+, which the program's entry starts.
const bool kGdiplus = StartGdiplusForTests();

int g_skinFolders = 0;

const wchar_t kStandInClass[] = L"FlowTestStartup";
int g_standInCloses = 0;

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_CLOSE) {
        ++g_standInCloses;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The skin folder of the build: "skin" beside the test programs' folder or
// further up.
std::wstring FindSkinFolder() {
    std::wstring folder = ProgramFolder(nullptr);
    for (int up = 0; up < 4 && !folder.empty(); ++up) {
        const std::wstring candidate = folder + L"skin\\";
        if (GetFileAttributesW((candidate + L"ready.xml").c_str()) != INVALID_FILE_ATTRIBUTES) return candidate;
        folder.pop_back();
        const size_t slash = folder.find_last_of(L"\\/");
        folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
    }
    return std::wstring();
}

}  // namespace

SkinFolder::SkinFolder() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"tavrix_skin_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
             std::to_wstring(++g_skinFolders) + L"\\";
    ::CreateDirectoryW(m_path.c_str(), nullptr);
    m_previous = CPaintManagerUI::GetResourcePath();
    CPaintManagerUI::SetResourcePath(m_path.c_str());
}

SkinFolder::~SkinFolder() {
    for (const std::wstring& f : m_files) ::DeleteFileW(f.c_str());
    ::RemoveDirectoryW(m_path.c_str());
    CPaintManagerUI::SetResourcePath(m_previous.c_str());
}

void SkinFolder::Write(const std::wstring& name, const std::string& bytes) {
    const std::wstring full = m_path + name;
    WriteWholeFile(full, bytes);
    m_files.push_back(full);
}

int& TestFrame::Deleted() {
    static int n = 0;
    return n;
}

void TestFrame::OnBeforeSkin() {
    log.push_back(L"before");
    paintWindowBeforeSkin = m_pm.GetPaintWindow();
    controlsBeforeSkin = m_pm.GetRoot() != nullptr;
}

LRESULT TestFrame::HandleOwnMessage(UINT, WPARAM, LPARAM, bool& handled) {
    ++ownMessages;
    handled = false;
    return 0;
}

void TestFrame::Notify(TNotifyUI& msg) {
    log.push_back(msg.sType + L":" + (msg.pSender != nullptr ? msg.pSender->GetName() : L"?"));
    if (msg.sType == L"click" && msg.pSender != nullptr) {
        if (auto* option = static_cast<COptionUI*>(msg.pSender->GetInterface(L"Option"))) {
            selectedAtClick.push_back(option->IsSelected());
        }
    }
    if (onNotify) onNotify(msg);
}

FrameDescription PlainDescription(const wchar_t* skin) {
    FrameDescription d{};
    d.windowClassName = L"TavrixTestFrameWndClass";
    d.classStyle = CS_DBLCLKS;
    d.skinFile = skin;
    d.clientClasses = {L"ButtonUI", L"OptionUI", L"TextUI"};
    d.handlers = FrameHandlers::All;
    d.close = CloseAction::Default;
    d.destroy = DestroyAction::Default;
    d.systemClose = SystemCloseAction::Default;
    d.lifetime = ObjectLifetime::KeptByOwner;
    return d;
}

POINT CenterOf(CControlUI* control) {
    const RECT& r = control->GetPos();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

LPARAM PointParam(POINT pt) { return MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)); }

void ClickAt(HWND hwnd, POINT pt) {
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, PointParam(pt));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(pt));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(pt));
}

StandInStartup::StandInStartup() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kStandInClass;
    RegisterClassW(&wc);
    m_window = CreateWindowExW(0, kStandInClass, L"flow test startup", WS_OVERLAPPEDWINDOW, 20, 20, 200, 120,
                               nullptr, nullptr, wc.hInstance, nullptr);
    g_standInCloses = 0;
    StartupHwnd = m_window;
}

StandInStartup::~StandInStartup() {
    if (StartupHwnd == m_window) StartupHwnd = nullptr;
    DestroyWindow(m_window);
}

int StandInStartup::Closes() const {
    return g_standInCloses;
}

FlowEnvironment::FlowEnvironment() {
    CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
    const std::wstring skin = FindSkinFolder();
    CPaintManagerUI::SetResourcePath(skin.c_str());

    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    m_folder = std::wstring(temp) + L"tavrix-flow-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount()) + L"\\";
    CreateDirectoryW(m_folder.c_str(), nullptr);
    RecordingPath = NarrowText(m_folder + L"temp.avi", CP_ACP);
    // The encoder's side file lies apart from the recording, which a discard
    // or a save clears away with everything beside it.
    m_sideFile = std::wstring(temp) + L"tavrix-flow-events-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(GetTickCount()) + L".log";
    SetEnvironmentVariableW(L"TAVRIX_FAKE_ENCODER_LOG", m_sideFile.c_str());

    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    RecordOptions* options = RecordOptions::Instance();
    options->captureRect = Rect{0, 0, 320, 240};
    options->recordAudio = 0;
    options->customArea = 0;
    options->showTip = 1;
}

FlowEnvironment::~FlowEnvironment() {
    TerminateEncoderProcesses();
    Sleep(100);
    SetEnvironmentVariableW(L"TAVRIX_FAKE_ENCODER_LOG", nullptr);
    DeleteRecordingFiles(RecordingFile());
    DeleteRecordingFiles(m_folder + L"temp.avi");
    DeleteFileW(m_sideFile.c_str());
    RemoveDirectoryW(m_folder.c_str());
}

std::wstring FlowEnvironment::RecordingFile() const {
    return WidenText(RecordingPath, CP_ACP);
}

std::vector<std::string> FlowEnvironment::EncoderEvents() const { return SideFileEvents(m_sideFile); }

int FlowEnvironment::CommandsReceived(const char* command) const {
    char hex[32] = {};
    std::snprintf(hex, sizeof(hex), "command %02x %02x", static_cast<unsigned char>(command[0]),
                  static_cast<unsigned char>(command[1]));
    int count = 0;
    for (const std::string& event : EncoderEvents()) count += event == hex ? 1 : 0;
    return count;
}

CControlUI* Control(SkinnedFrame& frame, const wchar_t* name) {
    return frame.PaintManager().FindControl(name);
}

std::wstring ControlText(SkinnedFrame& frame, const wchar_t* name) {
    CControlUI* control = Control(frame, name);
    return control == nullptr ? L"<missing>" : control->GetText();
}

void Click(SkinnedFrame& frame, const wchar_t* name) {
    CControlUI* control = Control(frame, name);
    if (control == nullptr) return;
    const RECT r = control->GetPos();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const HWND window = frame.GetHWND();
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void FlowTest::TearDown() {
    delete m_ready;
    m_ready = nullptr;
}

CReadyFrameWnd* FlowTest::StartCountdown() {
    delete m_ready;
    m_ready = new CReadyFrameWnd;
    m_ready->SetOwnerSlot(&m_ready);
    m_ready->Create(nullptr, L"", kFlowWindowStyle, 0, 0, 0, 0, 0);
    m_ready->CenterWindow();
    m_ready->ShowWindow(true, true);
    return m_ready;
}

void FlowTest::RecordUntilBarShown() {
    StartCountdown();
    ASSERT_TRUE(PumpUntil([] { return StatusHwnd != nullptr && IsWindowVisible(StatusHwnd); }, 6000));
    if (m_bar == nullptr) m_bar = m_ready->StatusBar();
    ASSERT_NE(m_bar, nullptr);
    ASSERT_NE(m_bar->AfterRecordingWindow(), nullptr);
    ASSERT_TRUE(PumpUntil([this] { return !env.EncoderEvents().empty(); }, 3000));
    // Let the bar lay itself out and paint before anything is clicked.
    Pump(150);
}

bool FlowTest::WaitTicks(int ticks) {
    const int32_t target = ElapsedSeconds + ticks;
    return PumpUntil([target] { return ElapsedSeconds >= target; }, 1500u * static_cast<DWORD>(ticks) + 500);
}

CRecProcessFrameWnd& FlowTest::After() {
    return *m_bar->AfterRecordingWindow();
}

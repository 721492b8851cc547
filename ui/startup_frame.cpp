#include "ui/startup_frame.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <new>
#include <string>

#include "devices/microphone_win.h"
#include "devices/os_version_win.h"
#include "devices/speaker_sound_win.h"
#include "recording/disk_space_win.h"
#include "recording/encoder_process_win.h"
#include "recording/saved_recording.h"
#include "support/files_win.h"
#include "support/log.h"
#include "support/unique_win.h"
#include "ui/corner_window.h"
#include "ui/frame_table.h"
#include "ui/message_box_win.h"
#include "ui/screens_win.h"
#include "ui/startup_choices.h"
#include "ui/tip_frame.h"
#include "ui/window_state.h"

namespace {

constexpr UINT kProgramIconId = 101;
// Posted when the skin is ready: the region selector is made once the window
// shows (posted messages come before input, so before any click on the area).
constexpr UINT kCreateSelectorMessage = WM_APP + 15;
// The tip window is made as a visible popup with a caption and system menu.
constexpr DWORD kTipWindowStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;

void TellUser(const wchar_t* text) {
    ShowMessageBox(BoxCaption::Tip, text);
}

// The saved lesson's line under the choices, in skin units (startup.xml's savedPanel and its margin).
constexpr int kSavedPanelHeight = 64;
const wchar_t kSavedRecordingGoneText[] = L"找不到这个录像了，它可能已被移动或删除。";

// ShellExecuteExW, loaded at the first use; false when it cannot be had or fails.
bool OpenWithShell(const wchar_t* file, const std::wstring& parameters) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC;
    info.lpFile = file;
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    const auto execute = SystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    return execute != nullptr && execute(&info);
}

// `text` cut in its middle with an ellipsis to fit `width` pixels in `font`.
std::wstring FittedPath(const std::wstring& text, HFONT font, int width) {
    if (width <= 0 || text.size() >= MAX_PATH) return text;
    wchar_t buffer[MAX_PATH] = {};
    text.copy(buffer, MAX_PATH - 1);
    const HDC dc = ::GetDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, font);
    const auto compact = SystemFunction<decltype(&PathCompactPathW)>(L"shlwapi.dll", "PathCompactPathW");
    if (compact != nullptr) compact(dc, buffer, static_cast<UINT>(width));
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return buffer;
}

}  // namespace

CRecStartupFrameWnd::CRecStartupFrameWnd() = default;

CRecStartupFrameWnd::~CRecStartupFrameWnd() {
    DiscardTipWindow();
    m_selector.Destroy();
}

const FrameDescription& CRecStartupFrameWnd::Description() const { return kStartupFrame; }

void CRecStartupFrameWnd::CreateSelector() {
    // The selector reports to this window; a second selector in the system
    // leaves this one without (the custom area then does nothing visible).
    if (m_selector.Create(GetModuleHandleW(nullptr), this, &CRecStartupFrameWnd::OnRegionSelected) != 0) {
        TAVRIX_LOG(LevelDebug) << "region selector not created";
    }
}

LRESULT CRecStartupFrameWnd::HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM, bool& handled) {
    // Back after a recording: the saved lesson's line, when there is one.
    if (uMsg == WM_SHOWWINDOW && wParam != FALSE) ShowSavedRecording();
    handled = uMsg == kCreateSelectorMessage;
    if (handled) CreateSelector();
    return 0;
}

void CRecStartupFrameWnd::OnSkinReady() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // The selector's full-screen windows and pictures take longer to make
    // than the whole window: they are made after it shows.
    ::PostMessageW(m_hWnd, kCreateSelectorMessage, 0, 0);

    const HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(kProgramIconId));
    if (icon != nullptr) SetClassLongPtrW(m_hWnd, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    StartupHwnd = m_hWnd;

    auto button = [this](const wchar_t* name) { return static_cast<CButtonUI*>(m_pm.FindControl(name)); };
    auto option = [this](const wchar_t* name) { return static_cast<COptionUI*>(m_pm.FindControl(name)); };
    m_startBtn = button(L"startBtn");
    m_closeBtn = button(L"closeBtn");
    m_minBtn = button(L"minBtn");
    m_btnSoundXP = button(L"btnSoundXP");
    m_txtAudioXP = m_pm.FindControl(L"txtAudioXP");
    m_optionAreaFull = option(L"optionAreaFull");
    m_optionAreaCustom = option(L"optionAreaCustom");
    m_optionAreaFullWithoutTaskbar = option(L"optionAreaFullWithoutTaskbar");
    m_optionAreaFull->Selected(true);
    m_checkRecordAudio = option(L"checkRecordAudio");
    m_optionAudioMix = option(L"optionAudioMix");
    m_optionAudioSpeaker = option(L"optionAudioSpeaker");
    m_optionAudioMicro = option(L"optionAudioMicro");

    if (IsVistaOrLater()) {
        m_optionAudioMix->Selected(true);
        m_txtAudioXP->SetVisible(false);
        m_btnSoundXP->SetVisible(false);
    } else {
        m_optionAudioMix->SetVisible(false);
        m_optionAudioSpeaker->SetVisible(false);
        m_optionAudioMicro->SetVisible(false);
    }

    m_optionVideoQualityNormal = option(L"optionVideoQualityNormal");
    m_optionVideoQualityGood = option(L"optionVideoQualityGood");
    m_checkShowClicks = option(L"checkShowClicks");
    m_savedPanel = m_pm.FindControl(L"savedPanel");
    m_savedFileText = m_pm.FindControl(L"savedFileText");
    m_savedFolderText = m_pm.FindControl(L"savedFolderText");
}

void CRecStartupFrameWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != L"click" || msg.pSender == nullptr) return;
    const std::wstring& name = msg.pSender->GetName();
    if (name == L"closeBtn") return OnClose();
    if (name == L"minBtn") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return;
    }
    if (name == L"optionAreaCustom") return OnAreaCustom();
    if (name == L"optionAreaFull" || name == L"optionAreaFullWithoutTaskbar") return OnAreaFullScreen();
    if (name == L"checkRecordAudio") return OnRecordAudio();
    if (name == L"optionAudioMicro" || name == L"optionAudioMix") return OnAudioSourceNeedingMicrophone();
    if (name == L"btnSoundXP") return OnSoundXp();
    if (name == L"startBtn") return OnStart();
    if (name == L"btnOpenFolder") return OnOpenSavedFolder();
    if (name == L"btnPlayFile") return OnPlaySavedRecording();
}

void CRecStartupFrameWnd::OnClose() {
    TerminateEncoderProcesses();
    PostQuitMessage(0);
}

void CRecStartupFrameWnd::OnAreaCustom() {
    m_selector.Show(true);
}

void CRecStartupFrameWnd::OnAreaFullScreen() {
    HideCornerWindow();
}

void CRecStartupFrameWnd::OnRecordAudio() {
    // Notified before the click applies: the check box is about to flip.
    const bool enable = !m_checkRecordAudio->IsSelected();
    if (IsVistaOrLater()) {
        m_optionAudioMix->SetEnabled(enable);
        m_optionAudioSpeaker->SetEnabled(enable);
        m_optionAudioMicro->SetEnabled(enable);
    } else {
        m_btnSoundXP->SetEnabled(enable);
    }
}

void CRecStartupFrameWnd::OnAudioSourceNeedingMicrophone() {
    if (!m_checkRecordAudio->IsSelected()) return;
    const bool found = !FindMicrophoneName().empty();
    const SoundChoice sound{true, m_optionAudioMix->IsSelected(), m_optionAudioMicro->IsSelected()};
    if (LacksNeededMicrophone(sound, found)) TellUser(L"没有麦克风");
}

void CRecStartupFrameWnd::OnSoundXp() {
    // Started by its full path in the system folder: the program runs elevated
    // and must not pick up a program of that name from the current folder.
    std::wstring tool = SystemFolderFile(L"sndvol32.exe");
    if (tool.empty()) tool = L"sndvol32.exe";

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = tool.c_str();
    info.lpParameters = L"/r";
    info.nShow = SW_SHOWDEFAULT;
    const auto execute = SystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    if (execute == nullptr || !execute(&info)) {
        TellUser(L"执行sndvol32.exe错误");
        return;
    }
    const UniqueHandle process(info.hProcess);  // nothing waits for the tool
}

bool CRecStartupFrameWnd::IsOptionSelected(COptionUI* option) const {
    return option != nullptr && option->IsSelected();
}

StartChoices CRecStartupFrameWnd::ReadStartChoices() const {
    StartChoices choices;
    choices.areaFull = IsOptionSelected(m_optionAreaFull);
    choices.areaWithoutTaskbar = IsOptionSelected(m_optionAreaFullWithoutTaskbar);
    choices.areaCustom = IsOptionSelected(m_optionAreaCustom);
    choices.recordAudio = IsOptionSelected(m_checkRecordAudio);
    choices.audioMix = IsOptionSelected(m_optionAudioMix);
    choices.audioSpeaker = IsOptionSelected(m_optionAudioSpeaker);
    choices.qualityNormal = IsOptionSelected(m_optionVideoQualityNormal);
    choices.showClicks = IsOptionSelected(m_checkShowClicks);
    return choices;
}

void CRecStartupFrameWnd::CollectRecordOptions() {
    // The full screen is the monitor this window stands on: a teacher moves
    // it onto the projector's screen to record that one. On the primary
    // monitor it is the screen as measured at start, exactly as on one screen.
    const MonitorArea screen = MonitorOfWindow(m_hWnd);
    if (screen.primary) {
        RECT workArea = {};
        const bool haveWorkArea = SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0) != FALSE;
        const Rect area{workArea.left, workArea.top, workArea.right, workArea.bottom};
        ApplyStartChoices(*RecordOptions::Instance(), ReadStartChoices(), haveWorkArea ? &area : nullptr);
        return;
    }
    ApplyStartChoices(*RecordOptions::Instance(), ReadStartChoices(), screen.monitor, &screen.work);
}

void CRecStartupFrameWnd::SwitchToSpeaker() {
    m_optionAudioSpeaker->Selected(true);
    m_optionAudioMix->Selected(false);
    m_optionAudioMicro->Selected(false);
}

void CRecStartupFrameWnd::OnStart() {
    const bool found = !FindMicrophoneName().empty();
    const SoundChoice sound{m_checkRecordAudio->IsSelected(), m_optionAudioMix->IsSelected(),
                            m_optionAudioMicro->IsSelected()};
    if (LacksNeededMicrophone(sound, found)) {
        TellUser(L"没有麦克风");
        SwitchToSpeaker();
        return;
    }
    // Speaker sound that cannot be had is said before the start, never found in a silent file.
    if (sound.recordAudio && !sound.microSelected && IsVistaOrLater() && !CanRecordSpeakerSound()) {
        const wchar_t* text = sound.mixSelected
                                  ? L"这台电脑录不到电脑播放的声音，录像里只会有麦克风的声音。仍然开始录像吗？"
                                  : L"这台电脑录不到电脑播放的声音，这次录像将没有声音。仍然开始录像吗？";
        if (ShowMessageBox(BoxCaption::Tip, text, MB_YESNO | MB_ICONWARNING) != IDYES) return;
    }

    // A lesson that cannot be written and then joined is not started at all.
    if (!EnoughSpaceToStart(RecordingFreeBytes())) {
        TAVRIX_LOG(LevelDebug) << "too little free disk space to start a recording";
        ShowMessageBox(BoxCaption::Tip, kTooLittleSpaceToStartText, MB_OK | MB_ICONWARNING);
        return;
    }

    CollectRecordOptions();
    // The last lesson's line goes with the next recording.
    SetLastSavedRecording(std::wstring());
    ShowSavedRecording();
    ::ShowWindow(m_hWnd, SW_HIDE);
    DiscardTipWindow();

    m_tip = new (std::nothrow) RecTSFrame;
    if (m_tip == nullptr) return;
    m_tip->Create(nullptr, L"", kTipWindowStyle, 0, 0, 0, 0, 0);
    if (RecordOptions::Instance()->showTip != 0) {
        const RECT area = RecordedWorkArea();
        m_tip->CenterWindow(&area);
        m_tip->ShowWindow(true, true);
    } else {
        m_tip->ContinueToCountdown();
    }

    if (RecordOptions::Instance()->customArea != 0)
        ShowCornerWindow();
    else
        HideCornerWindow();
}

void CRecStartupFrameWnd::OnRegionSelected(const RECT* rect, void* userData) {
    auto* window = static_cast<CRecStartupFrameWnd*>(userData);
    if (rect != nullptr) {
        TAVRIX_LOG(LevelDebug) << "region selected: " << rect->left << "," << rect->top << "," << rect->right << ","
                               << rect->bottom;
        ApplyRegionSelection(*RecordOptions::Instance(), Rect{rect->left, rect->top, rect->right, rect->bottom});
        ShowCornerWindow();
        return;
    }
    TAVRIX_LOG(LevelDebug) << "region selection cancelled";
    HideCornerWindow();
    if (window != nullptr && window->m_optionAreaFull != nullptr) window->m_optionAreaFull->Selected(true);
}

void CRecStartupFrameWnd::DiscardOwnedWindows() {
    DiscardTipWindow();
}

void CRecStartupFrameWnd::DiscardTipWindow() {
    // The tip window's object takes its countdown window with it; their
    // native windows go with the objects.
    delete m_tip;
    m_tip = nullptr;
}

void CRecStartupFrameWnd::OnFinalMessage(HWND hWnd) {
    m_selector.Destroy();
    SkinnedFrame::OnFinalMessage(hWnd);
}

void CRecStartupFrameWnd::ShowSavedRecording() {
    if (m_savedPanel == nullptr || m_savedFileText == nullptr || m_savedFolderText == nullptr) return;
    const std::wstring& path = LastSavedRecording();
    const bool show = !path.empty();
    if (show) {
        const SavedRecordingLine line = DescribeSavedRecording(path);
        m_savedFileText->SetText(L"已保存：" + line.fileName);
        m_savedFolderText->SetText(line.folder);
    }
    if (m_savedPanel->IsVisible() != show) {
        m_savedPanel->SetVisible(show);
        const SIZE size = m_pm.GetInitSize();
        const int height = size.cy + (show ? m_pm.Scale(kSavedPanelHeight) : 0);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!show) return;
    // A long folder is shortened in its middle, so its start and its own name both show.
    m_pm.UpdateLayout();
    const RECT& place = m_savedFolderText->GetPos();
    auto* label = static_cast<CLabelUI*>(m_savedFolderText->GetInterface(L"Label"));
    if (label != nullptr)
        m_savedFolderText->SetText(FittedPath(DescribeSavedRecording(path).folder, m_pm.GetFont(label->GetFont()),
                                              place.right - place.left));
}

namespace {

// The lesson saved last, when it is still where it was saved; a plain
// message when it was moved or deleted meanwhile.
const std::wstring* SavedRecordingStillThere(const char* notDone) {
    const std::wstring& path = LastSavedRecording();
    if (path.empty()) return nullptr;
    if (IsExistingFile(path)) return &path;
    TAVRIX_LOG(LevelDebug) << "the saved lesson is gone; " << notDone;
    TellUser(kSavedRecordingGoneText);
    return nullptr;
}

}  // namespace

void CRecStartupFrameWnd::OnOpenSavedFolder() {
    const std::wstring* path = SavedRecordingStillThere("its folder is not opened");
    if (path == nullptr) return;
    // The folder with the lesson selected, by the system's file manager from
    // the Windows folder (by its full path: the program runs elevated).
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    const bool opened = length > 0 && length < MAX_PATH &&
                        OpenWithShell((std::wstring(windows) + L"\\explorer.exe").c_str(), L"/select,\"" + *path + L"\"");
    TAVRIX_LOG(LevelDebug) << (opened ? "the saved lesson's folder is shown" : "the saved lesson's folder could not be shown");
    if (!opened) TellUser(L"文件夹打不开。");
}

void CRecStartupFrameWnd::OnPlaySavedRecording() {
    const std::wstring* path = SavedRecordingStillThere("it is not played");
    if (path == nullptr) return;
    const bool played = OpenWithShell(path->c_str(), std::wstring());
    TAVRIX_LOG(LevelDebug) << (played ? "the saved lesson is played" : "the saved lesson could not be played");
    if (!played) TellUser(L"录像打不开：这台电脑上可能没有能播放它的程序。");
}

// The startup window: where the user chooses the area, the sound and the
// quality of the next recording and starts it. Closing it ends the program.
// After a save it names the saved lesson, with its folder and a way to play
// it, until the next recording starts.
#pragma once

#include <windows.h>

#include "recording/record_options.h"
#include "ui/region_selector.h"
#include "ui/skinned_frame.h"

class RecTSFrame;

class CRecStartupFrameWnd : public SkinnedFrame {
public:
    CRecStartupFrameWnd();
    ~CRecStartupFrameWnd() override;

    // The region selector's result: the chosen rectangle, or null when the
    // selection was abandoned; `userData` is the startup window (may be null).
    static void OnRegionSelected(const RECT* rect, void* userData);

    // Copies the choices of the option controls into RecordOptions.
    void CollectRecordOptions();

    // The controls' choices as Start reads them.
    StartChoices ReadStartChoices() const;

protected:
    const FrameDescription& Description() const override;
    void OnSkinReady() override;
    LRESULT HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void Notify(TNotifyUI& msg) override;
    void DiscardOwnedWindows() override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void CreateSelector();
    void OnClose();
    void OnAreaCustom();
    void OnAreaFullScreen();
    void OnRecordAudio();
    void OnAudioSourceNeedingMicrophone();
    void OnSoundXp();
    void OnStart();
    void SwitchToSpeaker();
    void DiscardTipWindow();
    bool IsOptionSelected(COptionUI* option) const;
    // The saved lesson's line: shown (the window grows to hold it) while
    // there is one to name.
    void ShowSavedRecording();
    void OnOpenSavedFolder();
    void OnPlaySavedRecording();

    RegionSelector m_selector;
    RecTSFrame* m_tip = nullptr;

    CButtonUI* m_startBtn = nullptr;
    CButtonUI* m_closeBtn = nullptr;
    CButtonUI* m_minBtn = nullptr;
    CButtonUI* m_btnSoundXP = nullptr;
    CControlUI* m_txtAudioXP = nullptr;
    COptionUI* m_optionAreaFull = nullptr;
    COptionUI* m_optionAreaCustom = nullptr;
    COptionUI* m_optionAreaFullWithoutTaskbar = nullptr;
    COptionUI* m_checkRecordAudio = nullptr;
    COptionUI* m_optionAudioMix = nullptr;
    COptionUI* m_optionAudioSpeaker = nullptr;
    COptionUI* m_optionAudioMicro = nullptr;
    COptionUI* m_optionVideoQualityNormal = nullptr;
    COptionUI* m_optionVideoQualityGood = nullptr;
    COptionUI* m_checkShowClicks = nullptr;
    CControlUI* m_savedPanel = nullptr;
    CControlUI* m_savedFileText = nullptr;
    CControlUI* m_savedFolderText = nullptr;
};

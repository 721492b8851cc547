// The five skinned windows and how each one closes:
//
//   window   shared handlers        WM_CLOSE                     WM_DESTROY  Alt+F4 (SC_CLOSE)          the object
//   startup  all                    ends encoders, discards own  posts quit  ends encoders, posts quit  deleted with its window
//   ready    all                    default                      posts quit  posts quit                 deleted with its window
//   process  all                    default                      posts quit  brings the window to top   deleted with its window
//   status   creation and hit test  (default)                    (default)   (default)                  lives for the rest of the run
//   tip      creation and hit test  (default)                    (default)   (default)                  discarded by the startup window
//
// Each entry below lists its fields in the order of FrameDescription: class,
// class style, skin, client classes, then the columns above, then the
// controls the window uses.
#include "ui/frame_table.h"

namespace {

// Clicks on these stay with the control inside the caption band.
const std::vector<std::wstring> kButtonsOptionsTexts{L"ButtonUI", L"OptionUI", L"TextUI"};
const std::vector<std::wstring> kButtonsOnly{L"ButtonUI"};

}  // namespace

const FrameDescription kStartupFrame{
    L"RecStartupFrameWndClass", CS_DBLCLKS, L"startup.xml", kButtonsOptionsTexts,
    FrameHandlers::All, CloseAction::EndEncodersAndDiscardOwned, DestroyAction::PostQuit,
    SystemCloseAction::EndEncodersAndPostQuit, ObjectLifetime::DeletedWithWindow,
    {
        {L"startBtn", L"Button"},
        {L"closeBtn", L"Button"},
        {L"minBtn", L"Button"},
        {L"btnSoundXP", L"Button"},
        {L"txtAudioXP", nullptr},
        {L"optionAreaFull", L"Option"},
        {L"optionAreaCustom", L"Option"},
        {L"optionAreaFullWithoutTaskbar", L"Option"},
        {L"checkRecordAudio", L"Option"},
        {L"optionAudioMix", L"Option"},
        {L"optionAudioSpeaker", L"Option"},
        {L"optionAudioMicro", L"Option"},
        {L"optionVideoQualityNormal", L"Option"},
        {L"optionVideoQualityGood", L"Option"},
        {L"checkShowClicks", L"Option"},
    },
};

const FrameDescription kReadyFrame{
    L"ReadyFrameWndClass", CS_DBLCLKS, L"ready.xml", kButtonsOptionsTexts,
    FrameHandlers::All, CloseAction::Default, DestroyAction::PostQuit,
    SystemCloseAction::PostQuit, ObjectLifetime::DeletedWithWindow,
    {{L"numText", nullptr}, {L"backBtn", L"Button"}},
};

const FrameDescription kProcessFrame{
    L"RecProcessWndClass", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS, L"process.xml", kButtonsOptionsTexts,
    FrameHandlers::All, CloseAction::Default, DestroyAction::PostQuit,
    SystemCloseAction::BringToTop, ObjectLifetime::DeletedWithWindow,
    {{L"closeBtn", L"Button"}, {L"resumeBtn", L"Button"}, {L"discardBtn", L"Button"}, {L"doneBtn", L"Button"}},
};

const FrameDescription kStatusFrame{
    L"RecStatusFrameWndClass", CS_DBLCLKS, L"status.xml", kButtonsOnly,
    FrameHandlers::CreationAndHitTest, CloseAction::Default, DestroyAction::Default,
    SystemCloseAction::Default, ObjectLifetime::KeptByOwner,
    {{L"timeText", nullptr}, {L"btnMin", L"Button"}, {L"btnClose", L"Button"}, {L"btnStop", L"Button"},
     {L"btnPen", L"Button"}},
};

const FrameDescription kTipFrame{
    L"RecTSFrameWndClass", CS_DBLCLKS, L"TSSkin.xml", kButtonsOnly,
    FrameHandlers::CreationAndHitTest, CloseAction::Default, DestroyAction::Default,
    SystemCloseAction::Default, ObjectLifetime::KeptByOwner,
    {{L"OptTip", L"Option"}, {L"btnOK", L"Button"}, {L"btnClose", L"Button"}},
};

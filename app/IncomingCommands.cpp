// Where a command from the command line arrives: carried by WM_COPYDATA from another copy of
// brivane.exe, or done at start-up by the copy that was started with one. They
// act as the tray icon would, through the same handlers.
#include "MainWindow.h"
#include "RemoteCommand.h"
#include "win/Application.h"
#include "win/CarriedPointer.h"

void TMainWindow::WMCopyData(TMessage& message) {
    // Anything may arrive here from any program: all that is not a well-formed
    // command from this desktop is ignored, with the answer 0.
    message.Result = 0;
    const auto* data = CarriedPointer<const COPYDATASTRUCT*>(message.LParam);
    if (!data || !SentFromThisDesktop(CarriedPointer<HWND>(message.WParam))) return;
    const std::optional<TCommand> command =
        DecodeRemoteCommand(data->dwData, static_cast<const uint8_t*>(data->lpData), data->cbData);
    if (!command) return;
    // Until the start-up state is chosen there is no state to answer with.
    if (!ready_) {
        message.Result = static_cast<LRESULT>(kRemoteReplyStarting);
        return;
    }
    message.Result = static_cast<LRESULT>(QueueCommand(*command));
}

int64_t TMainWindow::QueueCommand(TCommand command) {
    // The command is done from the message loop, not inside the message that
    // brought it: the sender is answered at once, and an error box opened by
    // the command never keeps it waiting.
    switch (command) {
        case TCommand::Hide:
            waiting_.push_back(TDesktopAction::Hide);
            break;
        case TCommand::Show:
            waiting_.push_back(TDesktopAction::Show);
            break;
        case TCommand::Toggle:
            // As a click would, after the commands before it.
            waiting_.push_back(PredictedHidden() ? TDesktopAction::Show : TDesktopAction::Hide);
            break;
        case TCommand::Exit:
            waiting_.push_back(TDesktopAction::Exit);
            break;
        case TCommand::ReloadSettings:
            return EncodeSettingsReply(ApplyStoredSettings());
        case TCommand::Status:
        case TCommand::Run:
        case TCommand::AutostartOn:
        case TCommand::AutostartOff:
        case TCommand::HotKey:
        case TCommand::AutoHide:
            break;
    }
    if (!waiting_.empty()) PostMessageW(Handle(), kRunWaitingActions, 0, 0);
    return EncodeRemoteReply(PredictedHidden());
}

// Where a command from the command line arrives: carried by WM_COPYDATA from another copy of
// brivane.exe, or done at start-up by the copy that was started with one. They
// act as the tray icon would, through the same handlers.
#include "MainWindow.h"
#include "RemoteCommand.h"
#include "win/Application.h"

void TMainWindow::WMCopyData(TMessage& message) {
    // Anything may arrive here from any program: all that is not a well-formed
    // command from this desktop is ignored, with the answer 0.
    message.Result = 0;
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(message.LParam);
    if (!data || !SentFromThisDesktop(reinterpret_cast<HWND>(message.WParam))) return;
    const std::optional<TCommand> command =
        DecodeRemoteCommand(data->dwData, static_cast<const uint8_t*>(data->lpData), data->cbData);
    if (!command) return;
    message.Result = static_cast<LRESULT>(ExecuteCommand(*command));
}

int64_t TMainWindow::ExecuteCommand(TCommand command) {
    switch (command) {
        case TCommand::Hide:
            HideDesktop(this);
            break;
        case TCommand::Show:
            ShowDesktop(this);
            break;
        case TCommand::Toggle:
            ToggleDesktop();
            break;
        case TCommand::Exit:
            // Never leave with the desktop gone.
            if (DesktopHidden()) ShowDesktop(this);
            Application->Terminate();
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
    return EncodeRemoteReply(DesktopHidden());
}

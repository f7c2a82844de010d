// The application object and the toolkit's factory for it.
#include "manager/manager_app.h"

#include <wx/image.h>

#include <csignal>
#include <cstdlib>

#include "manager/manager_dialog.h"
#include "platform/display_modes.h"

wxIMPLEMENT_APP_NO_MAIN(Kestrova_ManagerApp);

bool g_DialogClosed = false;

namespace {

// Ended from outside, also in the middle of a mode test: the display goes back first. The
// toolkit calls this from its event loop, not from the signal itself.
void EndOnSignal(int signal)
{
    platform::CloseDisplayModes();
    std::_Exit(128 + signal);
}

} // namespace

Kestrova_ManagerApp::~Kestrova_ManagerApp() = default;

// Returns false so that the toolkit runs no main loop: the program ends with the dialog.
bool Kestrova_ManagerApp::OnInit()
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        SetSignalHandler(signal, EndOnSignal);
    wxInitAllImageHandlers();
    g_TestTimer = std::make_unique<t>();
    {
        Kestrova_ManagerDialog dialog(nullptr, -1);
        SetTopWindow(&dialog);
        dialog.ShowModal();
    }
    g_DialogClosed = true;
    g_TestTimer.reset();
    return false;
}

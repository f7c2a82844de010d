// The application object and the toolkit's factory for it.
#include "manager/manager_app.h"

#include <wx/image.h>

#include "manager/manager_dialog.h"

wxIMPLEMENT_APP_NO_MAIN(Kestrova_ManagerApp);

Kestrova_ManagerApp::~Kestrova_ManagerApp() = default;

// Returns false so that the toolkit runs no main loop: the program ends with the dialog.
bool Kestrova_ManagerApp::OnInit()
{
    wxInitAllImageHandlers();
    g_TestTimer = std::make_unique<t>();
    {
        Kestrova_ManagerDialog dialog(nullptr, -1);
        SetTopWindow(&dialog);
        dialog.ShowModal();
    }
    g_TestTimer.reset();
    return false;
}

// The settings tool's application object: shows the one dialog and ends with it.
#pragma once
#include <wx/app.h>

class Kestrova_ManagerApp : public wxApp {
public:
    ~Kestrova_ManagerApp() override;
    bool OnInit() override;
};

wxDECLARE_APP(Kestrova_ManagerApp);

// Set once the dialog has closed: the run then ended as it should, although the toolkit
// reports the false of OnInit as a failed start.
extern bool g_DialogClosed;

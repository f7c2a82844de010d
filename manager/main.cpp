// Kestrova_Manager's entry: hands over to the toolkit, which creates the application object.
#include <wx/app.h>

#include <cstdio>

#include "manager/manager_app.h"
#include "platform/display_modes.h"

int main(int argc, char** argv)
{
    // The toolkit's own start-up does not say plainly why it cannot run without a display.
    if (!platform::OpenDisplayModes()) {
        std::fprintf(stderr, "Kestrova_Manager: cannot open the display "
                             "(is DISPLAY set to a running X server?)\n");
        return 1;
    }
    int status = wxEntry(argc, argv);
    platform::CloseDisplayModes();
    return g_DialogClosed ? 0 : status;
}

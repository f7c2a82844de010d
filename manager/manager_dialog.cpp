// The settings tool's dialog: its fixed layout of ten controls, the buttons' connections, the
// settings loaded into the controls, and leaving without writing.
#include "manager/manager_dialog.h"

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <algorithm>

#include "manager/settings_form.h"

std::unique_ptr<t> g_TestTimer;
Tamrik::IniMap g_Settings;
bool g_SettingsRead = false;
std::vector<DisplayMode> g_DisplayModes;

const wxWindowID ID_STATICBITMAP1 = wxNewId();
const wxWindowID ID_CHOICE1 = wxNewId();
const wxWindowID ID_STATICTEXT1 = wxNewId();
const wxWindowID ID_RADIOBUTTON1 = wxNewId();
const wxWindowID ID_RADIOBUTTON2 = wxNewId();
const wxWindowID ID_CHECKBOX1 = wxNewId();
const wxWindowID ID_CHECKBOX2 = wxNewId();
const wxWindowID ID_BUTTON1 = wxNewId();
const wxWindowID ID_BUTTON2 = wxNewId();
const wxWindowID ID_BUTTON3 = wxNewId();

namespace {

// The 16 pixels between the dialog's two radio buttons. GTK's theme pads a radio button above
// and below to a taller best height; at 16 pixels that padding would squeeze the indicator, so
// it goes, and indicator and text fit.
constexpr int RADIO_HEIGHT = 16;

class CompactRadioButton : public wxRadioButton {
public:
    bool Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& position,
                const wxString& name)
    {
        if (!wxRadioButton::Create(parent, id, label, position, wxSize(-1, RADIO_HEIGHT), 0,
                                   wxDefaultValidator, name))
            return false;
#ifdef __WXGTK3__
        GTKApplyCssStyle("radiobutton { padding-top: 0; padding-bottom: 0; }");
#endif
        return true;
    }
};

} // namespace

// Every handler is connected in the constructor; the table only chains to wxDialog's.
wxBEGIN_EVENT_TABLE(Kestrova_ManagerDialog, wxDialog)
wxEND_EVENT_TABLE()

Kestrova_ManagerDialog::Kestrova_ManagerDialog(wxWindow* parent, wxWindowID id)
{
    Create(parent, id, _("Opcije Kestrova-a"), wxDefaultPosition, wxDefaultSize,
           wxDEFAULT_DIALOG_STYLE, "id");
    SetClientSize(wxSize(775, 512));

    // Scaled to the picture's rectangle whatever its own size; a missing picture leaves the
    // rectangle empty, without the toolkit's error box.
    wxBitmap picture;
    {
        wxLogNull quiet;
        wxImage image;
        if (image.LoadFile("textures/pellum.jpg", wxBITMAP_TYPE_ANY, -1))
            picture = wxBitmap(image.Scale(736, 320, wxIMAGE_QUALITY_NORMAL), -1);
    }
    StaticBitmap1 = new wxStaticBitmap();
    StaticBitmap1->Create(this, ID_STATICBITMAP1, picture, wxPoint(16, 8), wxSize(736, 320), 0,
                          "ID_STATICBITMAP1");
    Choice1 = new wxChoice();
    Choice1->Create(this, ID_CHOICE1, wxPoint(32, 360), wxSize(280, 21), 0, nullptr, 0,
                    wxDefaultValidator, "ID_CHOICE1");
    // GTK draws its drop-down list taller than 21 pixels and would cut the selected text.
    Choice1->SetSize(wxSize(280, std::max(21, Choice1->GetBestSize().GetHeight())));
    StaticText1 = new wxStaticText();
    StaticText1->Create(this, ID_STATICTEXT1, _("Rezolucija i osvjezavanje"), wxPoint(24, 344),
                        wxDefaultSize, 0, "ID_STATICTEXT1");
    // Each ends where the next begins: at their best height the lower would take clicks on the
    // upper.
    auto* openGL = new CompactRadioButton();
    openGL->Create(this, ID_RADIOBUTTON1, _("OpenGL"), wxPoint(16, 440), "ID_RADIOBUTTON1");
    RadioButton1 = openGL;
    auto* direct3D = new CompactRadioButton();
    direct3D->Create(this, ID_RADIOBUTTON2, _("Direct3D"), wxPoint(16, 456), "ID_RADIOBUTTON2");
    RadioButton2 = direct3D;
    CheckBox1 = new wxCheckBox();
    CheckBox1->Create(this, ID_CHECKBOX1, _("Fullscreen"), wxPoint(632, 384), wxDefaultSize, 0,
                      wxDefaultValidator, "ID_CHECKBOX1");
    CheckBox1->SetValue(false);
    CheckBox2 = new wxCheckBox();
    CheckBox2->Create(this, ID_CHECKBOX2, _("Debug"), wxPoint(632, 408), wxDefaultSize, 0,
                      wxDefaultValidator, "ID_CHECKBOX2");
    CheckBox2->SetValue(false);
    Button1 = new wxButton();
    Button1->Create(this, ID_BUTTON1, _("Pohrani"), wxPoint(552, 472), wxDefaultSize, 0,
                    wxDefaultValidator, "ID_BUTTON1");
    Button2 = new wxButton();
    Button2->Create(this, ID_BUTTON2, _("Izlaz"), wxPoint(648, 472), wxDefaultSize, 0,
                    wxDefaultValidator, "ID_BUTTON2");
    Button3 = new wxButton();
    Button3->Create(this, ID_BUTTON3, _("Testiraj"), wxPoint(536, 376), wxDefaultSize, 0,
                    wxDefaultValidator, "ID_BUTTON3");

    Connect(ID_BUTTON1, wxEVT_COMMAND_BUTTON_CLICKED,
            wxCommandEventHandler(Kestrova_ManagerDialog::OnSaveClick));
    Connect(ID_BUTTON3, wxEVT_COMMAND_BUTTON_CLICKED,
            wxCommandEventHandler(Kestrova_ManagerDialog::OnTestClick));
    Connect(ID_BUTTON2, wxEVT_COMMAND_BUTTON_CLICKED,
            wxCommandEventHandler(Kestrova_ManagerDialog::OnExitClick));

    g_SettingsRead = ReadSettingsFile(g_Settings, "Settings.ini");
    ControlStates states = ReadControlStates(g_Settings);
    if (states.openGL)
        RadioButton1->SetValue(true);
    else if (states.direct3D)
        RadioButton2->SetValue(true);
    FillDisplayModes();
    if (states.fullscreen)
        CheckBox1->SetValue(true);
    if (states.debug)
        CheckBox2->SetValue(true);
}

Kestrova_ManagerDialog::~Kestrova_ManagerDialog()
{
    // Closed in the middle of a test: the display must not stay in the tried mode.
    if (g_TestTimer)
        g_TestTimer->Stop();
    RestoreDisplayMode();
    g_DisplayModes.clear();
}

void Kestrova_ManagerDialog::OnExitClick(wxCommandEvent&)
{
    Close(false);
}

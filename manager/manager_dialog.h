// The settings tool's one dialog, its mode-test timer and the globals they share.
#pragma once
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/ini_file.h"
#include "manager/display_mode_list.h"

class Kestrova_ManagerDialog : public wxDialog {
public:
    Kestrova_ManagerDialog(wxWindow* parent, wxWindowID id);
    ~Kestrova_ManagerDialog() override;

    void FillDisplayModes();
    void TestDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPel, uint32_t frequency);
    void WriteSettings();

    void OnSaveClick(wxCommandEvent& event);
    void OnTestClick(wxCommandEvent& event);
    void OnExitClick(wxCommandEvent& event);

    wxRadioButton* RadioButton1;  // "OpenGL"
    wxRadioButton* RadioButton2;  // "Direct3D"
    wxButton* Button1;            // "Pohrani"
    wxStaticBitmap* StaticBitmap1;
    wxCheckBox* CheckBox2;        // "Debug": [Game] Log
    wxStaticText* StaticText1;
    wxButton* Button2;            // "Izlaz"
    wxCheckBox* CheckBox1;        // "Fullscreen": [Display] Fullscreen
    wxButton* Button3;            // "Testiraj"
    wxChoice* Choice1;            // the display modes, item i = g_DisplayModes[i]

private:
    wxDECLARE_EVENT_TABLE();
};

// The mode test's fall-back: restores the display when the question stays unanswered.
class t : public wxTimer {
public:
    ~t() override;
    void Notify() override;
};

// Puts the display back into the mode it had when the tool started.
void RestoreDisplayMode();

extern Tamrik::IniMap g_Settings;
// Whether "Settings.ini" could be read when the dialog opened; a map that could not is not saved.
extern bool g_SettingsRead;
extern std::vector<DisplayMode> g_DisplayModes;
// Made once the toolkit's application exists (its timers need one) and kept until it ends.
extern std::unique_ptr<t> g_TestTimer;

extern const wxWindowID ID_STATICBITMAP1;
extern const wxWindowID ID_CHOICE1;
extern const wxWindowID ID_STATICTEXT1;
extern const wxWindowID ID_RADIOBUTTON1;
extern const wxWindowID ID_RADIOBUTTON2;
extern const wxWindowID ID_CHECKBOX1;
extern const wxWindowID ID_CHECKBOX2;
extern const wxWindowID ID_BUTTON1;
extern const wxWindowID ID_BUTTON2;
extern const wxWindowID ID_BUTTON3;

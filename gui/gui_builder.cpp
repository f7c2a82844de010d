// Building the GUI from "gui/gui.xml": widgets level by level, their attributes, their handler
// programs, and their names in the script machine's registry.
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/log.h"
#include "core/system.h"
#include "gui/button.h"
#include "gui/check_box.h"
#include "gui/dialog.h"
#include "gui/gui.h"
#include "gui/radio_button.h"
#include "gui/window.h"
#include "gui/xml_document.h"
#include "script/virtual_machine.h"
#include "script/xml_easm.h"

namespace Tamrik {

namespace {

const char* const TEXT_LAYOUT_NAMES[TEXT_LAYOUT_COUNT] = {
    "LEFT_UP",  "LEFT_CENTER",  "LEFT_DOWN",      "CENTER_UP",       "CENTER",       "CENTER_DOWN",    "RIGHT_UP",
    "RIGHT_CENTER", "RIGHT_DOWN", "DISPLACED_LEFT", "DISPLACED_RIGHT", "DISPLACED_UP", "DISPLACED_DOWN",
};

// The value of attribute name, null when the element has none.
const std::string* Attribute(const CXMLNode* element, const char* name)
{
    auto found = element->attributes.find(name);
    return found == element->attributes.end() ? nullptr : &found->second;
}

void RegisterWindow(CVirtualMachine* vm, const CXMLNode* element, CGUI::CWindow* window)
{
    const std::string* name = Attribute(element, "name");
    vm->RegisterObjectAs<CGUI::CWindow>(name ? name->c_str() : "", window);
}

} // namespace

void CGUI::Load()
{
    CXMLDocument document;
    document.Load();
    if (document.tooLarge) {
        char line[128];
        std::snprintf(line, sizeof line, "[XMLParser] Error: gui/gui.xml is larger than %lld bytes; no window built.\n",
                      CXMLDocument::MAX_FILE_BYTES);
        system->log->Write(line);
        std::fputs(line + std::strlen("[XMLParser] Error: "), stderr);
        return;
    }
    Build(document.root);
    // An active GUI without a window holds the mouse and shows nothing: say why.
    if (windows.empty())
        system->log->Write("[XMLParser] Warning: no window built from gui/gui.xml.\n");
}

void CGUI::Build(CXMLNode* root)
{
    // A missing or empty file has no root: the GUI stays empty.
    if (!root)
        return;
    CSystem::WorkScope work(system, WorkKind::Build);
    CVirtualMachine* vm = system->vm;
    // Each level's elements with the windows made for them, in creation order.
    std::vector<std::pair<CXMLNode*, CWindow*>> level;
    std::vector<std::pair<CXMLNode*, CWindow*>> nextLevel;

    // Once the build's work is spent, the rest of the file is left unbuilt.
    for (CXMLNode* element : root->children) {
        if (vm->WorkSpent())
            break;
        CWindow* window = CreateWindowFromXML(element, nullptr);
        if (!window)
            continue;
        level.emplace_back(element, window);
        // Only the window's own "visible" attribute can have listed it by now, and that put it
        // at the back.
        if (!window->listed)
            AddWindow(window);
        RegisterWindow(vm, element, window);
    }

    while (!level.empty() && !vm->WorkSpent()) {
        for (auto& [element, parent] : level) {
            for (CXMLNode* child : element->children) {
                if (vm->WorkSpent())
                    break;
                CWindow* window = CreateWindowFromXML(child, parent);
                if (!window)
                    continue;
                nextLevel.emplace_back(child, window);
                RegisterWindow(vm, child, window);
            }
        }
        level.swap(nextLevel);
        nextLevel.clear();
    }
}

CGUI::CWindow* CGUI::CreateWindowFromXML(CXMLNode* element, CWindow* parent)
{
    const std::string& kind = element->name;
    CWindow* window;
    if (kind == "label") {
        window = new CWindow(this);
    } else if (kind == "button") {
        window = new CButton(this);
    } else if (kind == "dialog") {
        window = new CDialog(this);
    } else if (kind == "checkbox") {
        window = new CCheckBox(this);
    } else if (kind == "radiobuttongroup") {
        window = new CRadioButtonGroup(this);
    } else if (kind == "radiobutton") {
        window = new CRadioButton(this);
    } else {
        if (kind == "event")
            AssembleEvent(element, parent);
        return nullptr;
    }

    window->parent = parent;
    if (parent)
        parent->children.push_back(window);
    size_t attributeBytes = element->name.size();
    for (const auto& [name, value] : element->attributes)
        attributeBytes += name.size() + value.size();
    // The build looks at the count before each element; this one is finished.
    static_cast<void>(system->ChargeWork(CVirtualMachine::UnitsOfBytes(attributeBytes)));
    ApplyAttributes(element, window);
    return window;
}

void CGUI::AssembleEvent(CXMLNode* element, CWindow* parent)
{
    if (!parent) {
        system->log->Write("[XMLParser] Warning: unbound event handler found.\n");
        return;
    }
    const std::string* name = Attribute(element, "name");
    const std::string eventName = name ? *name : std::string();
    for (int event = 0; event < WINDOW_EVENT_COUNT; ++event) {
        if (eventName != WINDOW_EVENT_NAMES[event])
            continue;
        ByteCode* program = CXMLeasm::Assemble(element->text.c_str(), system->vm);
        parent->SetHandler(static_cast<WindowEvent>(event), program);
        if (!program) {
            char line[96];
            std::snprintf(line, sizeof line, "[XMLParser] Warning: compilation of %s event handler failed.\n",
                          WINDOW_EVENT_NAMES[event]);
            system->log->Write(line);
        }
        return;
    }
}

void CGUI::ApplyAttributes(CXMLNode* element, CWindow* window)
{
    if (const std::string* v = Attribute(element, "visible"))
        window->SetVisible(*v == "true");
    if (const std::string* v = Attribute(element, "draggable"))
        window->SetDraggable(*v == "true");

    // "position" and "size" share one pair: a number that a scan does not reach keeps what the
    // other attribute (or the start) left in it.
    int x = 0;
    int y = 0;
    if (const std::string* v = Attribute(element, "position")) {
        std::sscanf(v->c_str(), "%dx%d", &x, &y);
        window->SetPosition(x, y);
    }
    if (const std::string* v = Attribute(element, "size")) {
        std::sscanf(v->c_str(), "%dx%d", &x, &y);
        window->SetSize(x, y);
    }

    if (const std::string* v = Attribute(element, "text"))
        window->SetText(*v);
    if (const std::string* v = Attribute(element, "text_layout")) {
        system->log->Write("\n\ttext_layout = ");
        system->log->Write(v->c_str());
        system->log->Write(".\n");
        for (int layout = 0; layout < TEXT_LAYOUT_COUNT; ++layout) {
            if (*v == TEXT_LAYOUT_NAMES[layout]) {
                window->SetTextLayout(layout);
                break;
            }
        }
    }
    if (const std::string* v = Attribute(element, "text_color")) {
        system->log->Write("\n\ttext_color = ");
        system->log->Write(v->c_str());
        system->log->Write(".\n");
        int c[4] = {0, 0, 0, 0};
        std::sscanf(v->c_str(), "%d, %d, %d, %d", &c[0], &c[1], &c[2], &c[3]);
        window->SetTextColor(static_cast<unsigned char>(c[0]), static_cast<unsigned char>(c[1]),
                             static_cast<unsigned char>(c[2]));
    }
}

} // namespace Tamrik

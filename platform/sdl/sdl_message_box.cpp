// Message boxes through SDL. Tests and headless runs set KESTROVA_NO_MESSAGE_BOX so that a box
// never blocks a process that nobody can answer.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/message_box.h"

namespace platform {

void ShowMessageBox(const char* caption, const char* text, MessageIcon icon)
{
    Uint32 flags = icon == MessageIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    if (!std::getenv("KESTROVA_NO_MESSAGE_BOX") &&
        SDL_ShowSimpleMessageBox(flags, caption, text, nullptr) == 0)
        return;
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

} // namespace platform

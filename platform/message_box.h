// Modal message boxes; standard error when no display can show them.
#pragma once

namespace platform {

enum class MessageIcon { Information, Error };

void ShowMessageBox(const char* caption, const char* text, MessageIcon icon);

} // namespace platform

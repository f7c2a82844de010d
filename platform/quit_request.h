// Whether the process has been asked to end (SIGTERM, SIGINT), readable at any moment, so that
// long work can stop early instead of waiting for the next window message.
#pragma once

namespace platform {

// Notes the two signals from now on, before handing them to whatever handled them so far.
void WatchQuitSignals();

bool QuitRequested();

} // namespace platform

// The camera's start position from the entity text.
#include "render/start_position.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "render/camera.h"

namespace Tamrik {

namespace {

// One "%d" conversion: leading white space, sign, digits. Values beyond 32 bits are clamped
// rather than left undefined. Returns false when no number is there.
bool ReadInt(const char*& text, int& value)
{
    char* after = nullptr;
    errno = 0;
    const long long read = std::strtoll(text, &after, 10);
    if (after == text)
        return false;
    text = after;
    value = read > INT_MAX ? INT_MAX : read < INT_MIN ? INT_MIN : static_cast<int>(read);
    return true;
}

} // namespace

void ApplyStartPosition(const char* entityText, CCamera& camera)
{
    if (!entityText)
        return;
    const char* player = std::strstr(entityText, "info_player_deathmatch");
    if (!player)
        return;
    const char* origin = std::strstr(player, "origin");
    if (!origin)
        return;
    // The value starts 9 characters on: origin, closing quote, blank, opening quote. A text that
    // ends sooner has no value to read.
    if (std::strlen(origin) < 9)
        return;
    const char* cursor = origin + 9;

    int numbers[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        // strtoll accepts what "%d" would not ("0x", "inf"): only a sign or digits after blanks.
        const char* p = cursor;
        while (std::isspace(static_cast<unsigned char>(*p)))
            ++p;
        const char* digits = (*p == '+' || *p == '-') ? p + 1 : p;
        if (!std::isdigit(static_cast<unsigned char>(*digits)) || !ReadInt(cursor, numbers[i]))
            break;
    }
    for (int i = 0; i < 3; ++i) {
        camera.position[i] += static_cast<float>(numbers[i]);
        camera.lookAt[i] += static_cast<float>(numbers[i]);
    }
}

} // namespace Tamrik

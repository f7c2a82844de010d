// Input event kinds and listener records of the system object's seven lists.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

namespace Tamrik {

// A fixed underlying type makes every int a valid InputEvent value, so a kind outside 0 to 6
// is a defined value that the lists can refuse rather than undefined behaviour.
enum InputEvent : int32_t {
    INPUT_MOUSE_BUTTON_DOWN = 0,
    INPUT_MOUSE_BUTTON_UP = 1,
    INPUT_MOUSE_WHEEL = 2,
    INPUT_MOUSE_MOVE = 3,
    INPUT_KEY_DOWN = 4,
    INPUT_KEY_UP = 5,
    INPUT_CHAR = 6,
    INPUT_EVENT_COUNT = 7
};

// {object, method}: the method is a thunk that calls one member function of the object's class,
// so two records are equal exactly when they name the same object and the same member.
struct InputListener {
    using Method = void (*)(void* object, int32_t a, int32_t b);
    void* object = nullptr;
    Method method = nullptr;

    bool operator==(const InputListener& other) const = default;
};

struct InputListenerHash {
    size_t operator()(const InputListener& l) const
    {
        return std::hash<void*>()(l.object) * 31u + std::hash<void*>()(reinterpret_cast<void*>(l.method));
    }
};

// MakeListener<&CRenderDevice::HandleKeyDown>(device)
template <auto Member, class T>
InputListener MakeListener(T* object)
{
    return InputListener{object, [](void* o, int32_t a, int32_t b) { (static_cast<T*>(o)->*Member)(a, b); }};
}

} // namespace Tamrik

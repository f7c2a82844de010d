// Class tags of objects that handler programs can reach: each registered object and each exported
// method names the class it belongs to, so ncall can refuse an object of the wrong class.
#pragma once

namespace Tamrik {

using ScriptClass = const void*;

template <class T>
inline constexpr char SCRIPT_CLASS_TAG = 0;

// One distinct tag per class; works on incomplete (forward-declared) classes.
template <class T>
constexpr ScriptClass ScriptClassOf()
{
    return &SCRIPT_CLASS_TAG<T>;
}

} // namespace Tamrik

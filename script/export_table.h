// The program's exported methods as handler programs see them: decorated name, the class the call
// object must be registered as, argument and result kinds, and an invoker that makes the call.
//
// Adding a row is one line in the exports file beside its class (core/system_exports.cpp,
// render/render_device_exports.cpp, gui/gui_exports.cpp):
//     Export<&CSystem::Terminate>("?Terminate@CSystem@Tamrik@@QAEXXZ", PLAIN_CALL_UNITS),
// The number is the call's price in units of work (a plain instruction is one): what the call
// costs at its slowest, apart from the bytes of its arguments and what it charges itself.
// A method of a class derived from the class its objects are registered as names that class:
//     Export<&CGUI::CCheckBox::IsChecked, CGUI::CWindow>("?IsChecked@CCheckBox@CGUI@Tamrik@@QAE_NXZ", PLAIN_CALL_UNITS),
// An exported virtual operation runs the named class's own implementation, never an override, so
// it is given as a function that calls it qualified:
//     Export<+[](CGUI::CWindow* w, const char* t) { w->CGUI::CWindow::SetText(t); }>("?SetText@...@Z", PLAIN_CALL_UNITS),
// Adding a class is its file plus one line in the group list of app/program_exports.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "core/work_kind.h"
#include "script/native_words.h"
#include "script/script_class.h"

namespace Tamrik {

// How a pushed word becomes an argument.
enum class ArgKind : uint8_t {
    Int,     // the word itself
    Bool,    // true exactly when the low byte is 1
    Byte,    // the low byte
    CString, // a word from m2xm designating a NUL-terminated string in the machine's memory
    Text,    // a word that a GetText call returned
};

// How a result reaches r0.
enum class ResultKind : uint8_t {
    None,   // r0 = 0
    Int,    // the value
    Bool,   // 0 or 1
    Text,   // a text word
    Colour, // a colour word
};

constexpr size_t MAX_EXPORT_ARGS = 4;

// The price of a call whose own work does not grow with its arguments or the GUI.
constexpr WorkUnits PLAIN_CALL_UNITS = 16;

struct ExportRow {
    const char* name;
    ScriptClass objectClass;
    uint8_t argCount;
    ArgKind args[MAX_EXPORT_ARGS];
    ResultKind result;
    WorkUnits units; // the call's price
    // Makes the call with args[0] as the first argument. Returns false, having called nothing,
    // when the object is not of the method's class. Argument words are checked beforehand.
    bool (*invoke)(void* object, const uint32_t* args, NativeWords& words, uint32_t& result);
};

// One class's rows; each class's exports file defines one such function.
using ExportGroup = std::span<const ExportRow> (*)();

// The program's groups in table order, defined where the program is put together (app/), so
// that this folder knows none of the classes it exports.
std::span<const ExportGroup> ProgramExportGroups();

// Tests add rows of their own classes behind the program's; the program never calls this.
void SetExtraExportsForTesting(std::span<const ExportRow> rows);

// nsa: the function word of the row exported under name, 0 for none.
uint32_t FindExport(const char* name);
// ncall: the row a function word designates, null for none.
const ExportRow* ExportFromWord(uint32_t word);

// True when word is acceptable as an argument of kind (pointer-like words must designate
// a string in the machine's memory or a known text).
bool IsValidArgument(ArgKind kind, uint32_t word, const NativeWords& words);

namespace export_detail {

template <class T>
struct Arg; // no specialisation: this argument type cannot be passed from a handler program

template <>
struct Arg<int> {
    static constexpr ArgKind kind = ArgKind::Int;
    static int From(uint32_t w, const NativeWords&) { return static_cast<int>(w); }
};
template <>
struct Arg<bool> {
    static constexpr ArgKind kind = ArgKind::Bool;
    static bool From(uint32_t w, const NativeWords&) { return (w & 0xFFu) == 1u; }
};
template <>
struct Arg<unsigned char> {
    static constexpr ArgKind kind = ArgKind::Byte;
    static unsigned char From(uint32_t w, const NativeWords&) { return static_cast<unsigned char>(w); }
};
template <>
struct Arg<const char*> {
    static constexpr ArgKind kind = ArgKind::CString;
    static const char* From(uint32_t w, const NativeWords& words) { return words.String(w); }
};
template <>
struct Arg<const std::string&> {
    static constexpr ArgKind kind = ArgKind::Text;
    static const std::string& From(uint32_t w, const NativeWords& words) { return *words.Text(w); }
};

template <class R>
struct Result; // no specialisation: this result type cannot be handed to a handler program

template <>
struct Result<void> {
    static constexpr ResultKind kind = ResultKind::None;
};
template <>
struct Result<int> {
    static constexpr ResultKind kind = ResultKind::Int;
    static uint32_t To(int v, NativeWords&) { return static_cast<uint32_t>(v); }
};
template <>
struct Result<bool> {
    static constexpr ResultKind kind = ResultKind::Bool;
    static uint32_t To(bool v, NativeWords&) { return v ? 1u : 0u; }
};
template <>
struct Result<const std::string&> {
    static constexpr ResultKind kind = ResultKind::Text;
    static uint32_t To(const std::string& v, NativeWords& words) { return words.TextWord(v); }
};
template <>
struct Result<const unsigned char*> {
    static constexpr ResultKind kind = ResultKind::Colour;
    static uint32_t To(const unsigned char* v, NativeWords& words) { return v ? words.ColourWord(v) : 0u; }
};

template <class F>
struct Method;
template <class R, class C, class... A>
struct Method<R (C::*)(A...)> {
    using Class = C;
    using ResultType = R;
    using Args = std::tuple<A...>;
    template <auto M, class... V>
    static R Call(C* object, V&&... v) { return (object->*M)(std::forward<V>(v)...); }
};
template <class R, class C, class... A>
struct Method<R (C::*)(A...) const> : Method<R (C::*)(A...)> {};
template <class R, class C, class... A>
struct Method<R (*)(C*, A...)> {
    using Class = C;
    using ResultType = R;
    using Args = std::tuple<A...>;
    template <auto M, class... V>
    static R Call(C* object, V&&... v) { return M(object, std::forward<V>(v)...); }
};

template <auto M, class Registered, class... A, size_t... I>
bool Invoke(void* object, const uint32_t* args, NativeWords& words, uint32_t& result, std::tuple<A...>*,
            std::index_sequence<I...>)
{
    using Traits = Method<decltype(M)>;
    using C = typename Traits::Class;
    using R = typename Traits::ResultType;
    C* target;
    if constexpr (std::is_same_v<C, Registered>) {
        target = static_cast<C*>(object);
    } else {
        target = dynamic_cast<C*>(static_cast<Registered*>(object));
        if (!target)
            return false;
    }
    if constexpr (std::is_void_v<R>) {
        Traits::template Call<M>(target, Arg<A>::From(args[I], words)...);
        result = 0;
    } else {
        result = Result<R>::To(Traits::template Call<M>(target, Arg<A>::From(args[I], words)...), words);
    }
    (void)args;
    return true;
}

template <auto M, class Registered>
bool InvokeExport(void* object, const uint32_t* args, NativeWords& words, uint32_t& result)
{
    using Args = typename Method<decltype(M)>::Args;
    return Invoke<M, Registered>(object, args, words, result, static_cast<Args*>(nullptr),
                                 std::make_index_sequence<std::tuple_size_v<Args>>{});
}

template <class... A>
constexpr ExportRow MakeRow(const char* name, WorkUnits units, ScriptClass objectClass, ResultKind result,
                            bool (*invoke)(void*, const uint32_t*, NativeWords&, uint32_t&), std::tuple<A...>*)
{
    static_assert(sizeof...(A) <= MAX_EXPORT_ARGS);
    return ExportRow{name, objectClass, static_cast<uint8_t>(sizeof...(A)), {Arg<A>::kind...}, result, units, invoke};
}

} // namespace export_detail

template <auto M, class Registered = typename export_detail::Method<decltype(M)>::Class>
constexpr ExportRow Export(const char* name, WorkUnits units)
{
    using Traits = export_detail::Method<decltype(M)>;
    return export_detail::MakeRow(name, units, ScriptClassOf<Registered>(),
                                  export_detail::Result<typename Traits::ResultType>::kind,
                                  &export_detail::InvokeExport<M, Registered>,
                                  static_cast<typename Traits::Args*>(nullptr));
}

} // namespace Tamrik

// The worst case of every instruction and every exported method, for measuring what one unit of
// work buys: the gui.xml each case needs (as large as a 4 MiB file allows) and a handler that
// runs the case in a loop. The unit-price bench runs them; a test checks that every instruction and
// every exported method has one.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "script/byte_code.h"
#include "tests/support/export_names.h"
#include "tests/support/handler_text.h"
#include "tests/support/hostile_guis.h"

namespace kestrova_test {

// One case. The handler repeats the measured work `passes` times, each pass one turn of a loop
// of three instructions (inc r10, cmp r10 r11, jmp_lt); once is the same handler with a single
// pass, so that once's cost taken from handler's leaves passes - 1 passes without what comes
// before the loop (finding the method, writing long names into the memory, loading the program).
// An empty once means the handler is a whole run, measured as such.
struct UnitPriceCase {
    std::string name;    // mnemonic or decorated export name; a variant adds " (...)"
    std::string xml;     // the gui.xml the GUI is built from
    std::string setup;   // run once before the measured runs, outside them; may be empty
    int setupPasses = 0; // the loop count setup ends with
    std::string handler; // run `runs` times, each an event of its own
    std::string once;
    int passes = 1;
    int runs = 1;
    bool logging = false;
    // Instead of the handler's loop: each pass one mouse move over the GUI (its hit test)...
    bool mouseMoves = false;
    // ... or part of the build, xml measured against onceXml, the same GUI with one pass.
    std::string onceXml;
};

namespace unit_price_detail {

using Snippet = std::function<void(HandlerText&)>;

// Registers: r8 scratch, r9 zero, r10 and r11 the loop's count and end; Find leaves the function
// word in r4 and the object word in r6 (r20 and r21 used).

inline std::string R(int r) { return "r" + std::to_string(r); }

// Sets r to any 32-bit value (set takes 16 bits).
inline HandlerText& SetWord(HandlerText& h, int r, uint32_t value)
{
    return h.Code({"set " + R(r) + " " + std::to_string(value >> 16), "set r8 16", "lsh " + R(r) + " r8 " + R(r),
                   "set r8 " + std::to_string(value & 0xFFFFu), "or " + R(r) + " r8 " + R(r)});
}

inline HandlerText& Times(HandlerText& h, int count, const std::string& line)
{
    for (int k = 0; k < count; ++k)
        h.Code(line);
    return h;
}

// Writes a name of `bytes` bytes at 4096: start, then 'A's; r1 points at it (r2, r3 used).
inline HandlerText& WriteName(HandlerText& h, const std::string& start, uint32_t bytes)
{
    h.Code({"set r1 4096", "set r2 65"});
    SetWord(h, 3, 4096 + bytes);
    const uint32_t fill = h.Here();
    h.Code({"st8r r2 r1", "inc r1", "cmp r1 r3"}).Jump(fill, "jmp_lt").Code("set r1 4096");
    if (!start.empty()) {
        h.SetString(2, start);
        const uint32_t copy = h.Here();
        h.Code({"ld8r r2 r3", "cmp r3 r9"})
            .Jump(copy + 28, "jmp_eq")
            .Code({"st8r r3 r1", "inc r1", "inc r2"})
            .Jump(copy)
            .Code("set r1 4096");
    }
    return h;
}

// prefix, then passes turns of the loop around body.
inline std::string Looped(const Snippet& prefix, const Snippet& body, int passes)
{
    HandlerText h;
    if (prefix)
        prefix(h);
    SetWord(h, 11, static_cast<uint32_t>(passes)).Code("set r10 0");
    const uint32_t loop = h.Here();
    body(h);
    return h.Code({"inc r10", "cmp r10 r11"}).Jump(loop, "jmp_lt").Text();
}

// Machine words of floats at their slow arguments.
constexpr uint32_t HUGE_FLOAT = 0x7F61B1E6u;     // 3.0e38
constexpr uint32_t SUBNORMAL_FLOAT = 0x00000001u; // the smallest subnormal
constexpr uint32_t TINY_FLOAT = 0x00800000u;      // the smallest normal
constexpr uint32_t NAN_FLOAT = 0x7FC00000u;
constexpr uint32_t NEGATIVE_FLOAT = 0xBF800000u; // -1
constexpr uint32_t INFINITE_FLOAT = 0x7F800000u;
constexpr uint32_t UNDER_ONE_FLOAT = 0x3F7FFFFFu; // the largest float below 1

// Windows that a case names: "w" a label, "c" a check box.
inline std::string SmallGui()
{
    return "<gui><label name=\"w\" position=\"0x0\" size=\"64x64\"/><checkbox name=\"c\"/></gui>";
}

// The 3-letter suffix of window i of the name cases.
inline std::string Letters(int i)
{
    return {static_cast<char>('A' + i / 676 % 26), static_cast<char>('A' + i / 26 % 26), static_cast<char>('A' + i % 26)};
}

class Builder {
public:
    explicit Builder(double scale) : scale(scale) {}

    // n scaled, at least 1.
    int Count(double n) const { return std::max(1, static_cast<int>(std::lround(n * scale))); }

    UnitPriceCase& Add(const std::string& name, const std::string& xml, const Snippet& prefix, const Snippet& body,
                       double passes)
    {
        UnitPriceCase c;
        c.name = name;
        c.xml = xml;
        c.passes = std::max(2, Count(passes));
        c.handler = Looped(prefix, body, c.passes);
        c.once = Looped(prefix, body, 1);
        cases.push_back(std::move(c));
        return cases.back();
    }

    // An instruction written 32 times a pass.
    UnitPriceCase& Instruction(const std::string& name, const std::string& line, const Snippet& prefix = nullptr,
                               double passes = 1000000)
    {
        return Add(name, SmallGui(), prefix, [line](HandlerText& h) { Times(h, 32, line); }, passes);
    }

    // A float instruction on the argument a (and b) in r1 (and r2), result in r3.
    UnitPriceCase& Float(const std::string& name, uint32_t a, uint32_t b = TINY_FLOAT)
    {
        const bool binary = name == "fadd" || name == "fsub" || name == "fmul" || name == "fdiv";
        const Snippet prefix = [a, b](HandlerText& h) { SetWord(SetWord(h, 1, a), 2, b); };
        return Instruction(name, name + (binary ? " r1 r2 r3" : " r1 r3"), prefix, 50000);
    }

    // A method on object, args pushed before each call, calls pairs times a pass (the second
    // call of a pair with args2, when given).
    UnitPriceCase& Method(const std::string& name, const std::string& xml, const std::string& object,
                          const std::vector<int>& args, double passes, const std::vector<int>& args2 = {},
                          bool pair = false)
    {
        return Add(name, xml, [name, object](HandlerText& h) { h.Find(name, object); },
                   [args, args2, pair](HandlerText& h) {
                       h.Invoke(args);
                       if (pair)
                           h.Invoke(args2);
                   },
                   passes);
    }

    std::vector<UnitPriceCase> cases;
    double scale;
};

} // namespace unit_price_detail

// Every instruction and every exported method, each at its worst arguments; at scale 1 the GUIs
// are as large as a 4 MiB gui.xml allows, smaller scales shrink GUIs and loops alike.
inline std::vector<UnitPriceCase> UnitPriceCases(double scale = 1.0)
{
    using namespace unit_price_detail;
    Builder b(scale);
    const std::string small = SmallGui();

    // Integer and memory instructions: r1 = 0x7FFFFFFF, r2 = 3.
    const Snippet operands = [](HandlerText& h) { SetWord(h, 1, 0x7FFFFFFFu).Code("set r2 3"); };
    for (const char* op : {"add", "sub", "mul", "div", "mod", "lsh", "rsh", "and", "or", "xor"})
        b.Instruction(op, std::string(op) + " r1 r2 r3", operands);
    b.Instruction("abs", "abs r1 r3", operands);
    b.Instruction("inc", "inc r1");
    b.Instruction("dec", "dec r1");
    b.Instruction("not", "not r1 r1");
    b.Instruction("cmp", "cmp r1 r2", operands);
    b.Instruction("swap", "swap r1 r2");
    b.Instruction("set", "set r1 65535");
    b.Instruction("setf", "setf r1 3e38");
    b.Instruction("i2f", "i2f r1 r3", operands);
    b.Instruction("f2i", "f2i r1 r3", [](HandlerText& h) { SetWord(h, 1, INFINITE_FLOAT); });
    b.Instruction("m2xm", "m2xm r1 r3");
    b.Instruction("xm2m", "xm2m r1 r3");
    b.Instruction("pusha", "pusha");
    b.Instruction("popa", "popa");
    b.Instruction("nrel", "nrel r1");
    // Loads and stores at the highest address each form reaches.
    const std::string direct = std::to_string(Tamrik::MAX_DIRECT_ADDRESS - 4);
    const Snippet memoryEnd = [](HandlerText& h) { SetWord(h, 5, Tamrik::MACHINE_MEMORY_SIZE - 4); };
    for (const char* bits : {"8", "16", "32"}) {
        b.Instruction(std::string("ld") + bits, std::string("ld") + bits + " " + direct + " r1");
        b.Instruction(std::string("ld") + bits + "r", std::string("ld") + bits + "r r5 r1", memoryEnd);
        b.Instruction(std::string("st") + bits, std::string("st") + bits + " r1 " + direct);
        b.Instruction(std::string("st") + bits + "r", std::string("st") + bits + "r r1 r5", memoryEnd);
    }

    // The stack 16,000 words deep before the loop, its position kept in r13; each pass goes
    // 32 words deeper (push) or higher (pop) and puts the position back.
    const Snippet deepStack = [](HandlerText& h) {
        h.Code({"set r12 16000", "set r7 0"});
        const uint32_t fill = h.Here();
        h.Code({"push r1", "inc r7", "cmp r7 r12"}).Jump(fill, "jmp_lt").Code("add r30 r9 r13");
    };
    b.Add("push", small, deepStack, [](HandlerText& h) { Times(h, 32, "push r1").Code("add r13 r9 r30"); }, 1000000);
    b.Add("pop", small, deepStack, [](HandlerText& h) { Times(h, 32, "pop r1").Code("add r13 r9 r30"); }, 1000000);

    // Jumps, each to the next instruction and taken: the body's compare sets the flag.
    const Snippet oneTwo = [](HandlerText& h) { h.Code({"set r1 1", "set r2 2"}); };
    const struct {
        const char* mnemonic;
        const char* compare;
    } jumps[] = {{"jmp", "cmp r1 r1"},     {"jmp_eq", "cmp r1 r1"},  {"jmp_lt", "cmp r1 r2"},
                 {"jmp_gt", "cmp r2 r1"},  {"jmp_lte", "cmp r1 r1"}, {"jmp_qte", "cmp r1 r1"}};
    for (const auto& j : jumps) {
        const std::string mnemonic = j.mnemonic;
        const std::string compare = j.compare;
        b.Add(mnemonic, small, oneTwo,
              [mnemonic, compare](HandlerText& h) {
                  h.Code(compare);
                  for (int k = 0; k < 32; ++k)
                      h.Jump(h.Here() + 4, mnemonic);
              },
              1000000);
    }

    // call, callr and ret in pairs, into a subroutine at 4 that returns at once, from a stack
    // 16,000 words deep.
    const Snippet subroutine = [deepStack](HandlerText& h) {
        h.Jump(8).Code("ret");
        deepStack(h);
        h.Code("set r5 4");
    };
    b.Add("call", small, subroutine, [](HandlerText& h) { Times(h, 32, "call 4"); }, 500000);
    b.Add("callr", small, subroutine, [](HandlerText& h) { Times(h, 32, "callr r5"); }, 500000);
    b.Add("ret", small, subroutine, [](HandlerText& h) { Times(h, 32, "call 4"); }, 500000);

    // Floats at the arguments that measured slowest among huge, subnormal, near 1, near multiples
    // of pi, negative, infinite and NaN ones (the operations compute in double, so subnormal
    // floats cost nothing extra).
    b.Float("fadd", TINY_FLOAT, 0x3E800000u);
    b.Float("fsub", HUGE_FLOAT, HUGE_FLOAT);
    b.Float("fmul", TINY_FLOAT, 0x3E800000u);
    b.Float("fdiv", SUBNORMAL_FLOAT, HUGE_FLOAT);
    b.Float("fsqrt", NEGATIVE_FLOAT);
    b.Float("fabs", NAN_FLOAT);
    b.Float("fround", INFINITE_FLOAT);
    for (const char* op : {"ffloor", "fceil", "fasin", "facos", "flog10"})
        b.Float(op, UNDER_ONE_FLOAT);
    for (const char* op : {"fsin", "fcos", "ftan"})
        b.Float(op, HUGE_FLOAT);
    for (const char* op : {"fatan", "fexp"})
        b.Float(op, 0x501502F9u); // 1e10
    for (const char* op : {"flog2", "fln"})
        b.Float(op, NEGATIVE_FLOAT);

    // The native-call instructions. nlink and nsa: a 61,000-byte name that begins as the name
    // they look for.
    b.Add("nlink", small, [](HandlerText& h) { WriteName(h, "Kestrova.exe", 61000); },
          [](HandlerText& h) { h.Code("nlink r1 r21"); }, 20000);
    b.Add("nsa", small,
          [](HandlerText& h) {
              h.SetString(20, "Kestrova.exe").Code("nlink r20 r21");
              WriteName(h, exports::SET_TEXT_STRING, 61000);
          },
          [](HandlerText& h) { h.Code("nsa r21 r1 r4"); }, 20000);
    // ndsa among windows whose 243-byte names share their first 240 bytes.
    const std::string prefix(240, 'N');
    const int named = b.Count(15000);
    std::string names;
    for (int i = 0; i < named; ++i)
        names += "<label name=\"" + prefix + Letters(i) + "\"/>";
    const std::string namedGui = "<gui>" + names + "</gui>";
    const std::string middle = prefix + Letters(named / 2);
    b.Add("ndsa", namedGui, [middle](HandlerText& h) { h.SetString(1, middle); },
          [](HandlerText& h) { Times(h, 8, "ndsa r1 r5"); }, 100000);
    // A new name every pass (lower-case letters from the pass count), entered with no object.
    b.Add("ndsa (new names)", namedGui, [prefix](HandlerText& h) { h.SetString(1, prefix + "aaa"); },
          [](HandlerText& h) {
              h.Code({"set r7 15", "set r12 4", "add r1 r9 r2", "set r3 240", "add r2 r3 r2", "add r10 r9 r3"});
              for (int k = 0; k < 3; ++k)
                  h.Code({"and r3 r7 r13", "set r8 97", "add r13 r8 r13", "st8r r13 r2", "inc r2", "rsh r3 r12 r3"});
              h.Code("ndsa r1 r5");
          },
          4000);
    // Pseudo-random names that no window has, among 190,000 named windows, once the entries for
    // unknown names are full: every look-up misses the cache.
    UnitPriceCase& random = b.Add(
        "ndsa (random unknown names)", "<gui>" + LabelsWithShortNames(b.Count(190000)) + "</gui>",
        [](HandlerText& h) { SeedRandomNames(h, 7); },
        [](HandlerText& h) { RandomUnknownName(h).Code("ndsa r1 r5"); }, 200000);
    HandlerText fill;
    SeedRandomNames(fill, 1).Code({"set r11 5000", "set r10 0"});
    const uint32_t fillLoop = fill.Here();
    RandomUnknownName(fill).Code({"ndsa r1 r5", "inc r10", "cmp r10 r11"}).Jump(fillLoop, "jmp_lt");
    random.setup = fill.Text();
    random.setupPasses = 5000;
    // With the log on every pass writes its lines; a run stays under the span's 1 MiB of log.
    const auto logged = [](UnitPriceCase& c) {
        c.logging = true;
        c.runs = 10;
    };
    logged(b.Add("ndsa (log on)", small, [](HandlerText& h) { WriteName(h, "", 61000); },
                 [](HandlerText& h) { h.Code("ndsa r1 r5"); }, 15));
    const Snippet findIsVisible = [](HandlerText& h) { h.Find(exports::IS_VISIBLE, "w"); };
    b.Instruction("nlthis", "nlthis r6", findIsVisible, 50000);
    logged(b.Instruction("nlthis (log on)", "nlthis r6", findIsVisible, 1100));
    // ncall of the cheapest method; the methods' own rows follow.
    const Snippet findGetActive = [](HandlerText& h) { h.Find(exports::GET_ACTIVE, "GUI"); };
    const Snippet call = [](HandlerText& h) { h.Code({"nlthis r6", "ncall r4"}); };
    b.Add("ncall", small, findGetActive, call, 1000000);
    logged(b.Add("ncall (log on)", small, findGetActive, call, 11000));

    // halt: a whole run of a handler that halts at once, the program's loading included.
    UnitPriceCase halt;
    halt.name = "halt";
    halt.xml = small;
    halt.handler = "halt\n";
    halt.runs = b.Count(200000);
    b.cases.push_back(halt);

    // Exported methods whose work does not grow with their arguments or the GUI.
    const struct {
        const char* name;
        const char* object;
        std::vector<int> args;
    } plain[] = {
        {exports::GET_ACTIVE, "GUI", {}},
        {exports::IS_VISIBLE, "w", {}},
        {exports::IS_DRAGGABLE, "w", {}},
        {exports::SET_DRAGGABLE, "w", {1}},
        {exports::SET_TEXT_LAYOUT, "w", {4}},
        {exports::GET_TEXT_LAYOUT, "w", {}},
        {exports::SET_TEXT_COLOR, "w", {1, 2, 3}},
        {exports::SET_SIZE, "w", {10, 10}},
        {exports::STRETCH, "w", {1, 1}},
        {exports::IS_CHECKED, "c", {}},
        {exports::TERMINATE, "System", {}},
        {exports::SET_SHADER_USAGE, "RenderDevice", {1}},
        {exports::GET_SHADER_USAGE, "RenderDevice", {}},
    };
    for (const auto& m : plain)
        b.Method(m.name, small, m.object, m.args, 500000);
    // SetActive switching the GUI off and on.
    b.Method(exports::SET_ACTIVE, small, "GUI", {0}, 200000, {1}, true);

    // SetText(const char*): a 61,000-byte text and an empty one in turn, so that the window's
    // text is freed and allocated again.
    b.Add(exports::SET_TEXT_C, small,
          [](HandlerText& h) {
              WriteName(h, "", 61000).Code("m2xm r1 r12").SetString(2, "").Code("m2xm r2 r13");
              h.Find(exports::SET_TEXT_C, "w");
          },
          [](HandlerText& h) { h.Code("push r12").Invoke().Code("push r13").Invoke(); }, 20000);
    // SetText(string): the 4,000,000-byte text of another window (from GetText) and an empty one
    // in turn.
    const std::string longText = "<gui><label name=\"src\" text=\"" + std::string(b.Count(4000000), 'A') +
                                 "\"/><label name=\"w\"/><label name=\"e\"/></gui>";
    b.Add(exports::SET_TEXT_STRING, longText,
          [](HandlerText& h) {
              h.Call(exports::GET_TEXT, "src").Keep(12).Call(exports::GET_TEXT, "e").Keep(13);
              h.Find(exports::SET_TEXT_STRING, "w");
          },
          [](HandlerText& h) { h.Code("push r12").Invoke().Code("push r13").Invoke(); }, 300);

    // GetText and GetTextColor once the texts and colours of 65,536 windows ("t0" ...) have been
    // handed out: each call looks through all of them.
    const int handedOut = b.Count(65536);
    std::string texts = "<gui>";
    for (int i = 0; i < handedOut; ++i)
        texts += "<label name=\"t" + std::to_string(i) + "\"/>";
    texts += "</gui>";
    const std::string last = "t" + std::to_string(handedOut - 1);
    for (const char* getter : {exports::GET_TEXT, exports::GET_TEXT_COLOR}) {
        UnitPriceCase& c = b.Method(getter, texts, last, {}, 2000);
        // The windows' object words follow each other in the order they were built.
        HandlerText setup;
        setup.Find(getter, "t0");
        SetWord(setup, 11, static_cast<uint32_t>(handedOut)).Code("set r10 0");
        const uint32_t loop = setup.Here();
        setup.Code({"nlthis r6", "ncall r4", "inc r6", "inc r10", "cmp r10 r11"}).Jump(loop, "jmp_lt");
        c.setup = setup.Text();
        c.setupPasses = handedOut;
    }

    // Walks of the widest tree (500,000 labels under "big") and of the deepest (a chain of
    // 270,000 labels from "deep").
    const std::string wide = "<gui><label name=\"big\">" + Labels(b.Count(500000)) + "</label></gui>";
    const std::string deep =
        "<gui><label name=\"deep\">" + Nested("<label>", "</label>", b.Count(270000)) + "</label></gui>";
    const struct {
        const char* name;
        std::vector<int> args;
        std::vector<int> args2;
    } walks[] = {
        {exports::SET_VISIBLE, {1}, {0}},
        {exports::SET_POSITION, {100, 100}, {0, 0}},
        {exports::TRANSLATE, {1, 1}, {-1, -1}},
    };
    for (const auto& w : walks) {
        b.Method(w.name, wide, "big", w.args, 10, w.args2, true);
        b.Method(w.name, deep, "deep", w.args, 10, w.args2, true).name += " (deepest tree)";
    }
    // The same walks on a broom of 25,000 chains of 10 labels, which misses the cache at every window.
    const std::string broom = "<gui>" + Broom("broom", b.Count(25000), 10) + "</gui>";
    for (const auto& w : walks)
        b.Method(w.name, broom, "broom", w.args, 10, w.args2, true).name += " (broom)";
    // The hit test over 190,000 hidden top-level windows, brought forward in a pseudo-random
    // order (each shown and hidden again) before the moves: every window lies far from the last.
    const int scattered = b.Count(190000);
    UnitPriceCase hit;
    hit.name = "hit test (190,000 top-level windows in a scattered order)";
    hit.xml = "<gui>" + LabelsWithShortNames(scattered) + "</gui>";
    hit.mouseMoves = true;
    hit.passes = std::max(2, b.Count(40));
    HandlerText scatter;
    SeedRandomNames(scatter.Find(exports::SET_VISIBLE, "AAAA"), 3);
    SetLarge(scatter, "r27", 0xFFFFF);
    SetLarge(scatter, "r28", static_cast<uint32_t>(scattered));
    SetLarge(scatter, "r11", static_cast<uint32_t>(scattered)).Code("set r10 0");
    const uint32_t scatterLoop = scatter.Here();
    scatter.Code({"mul r14 r15 r14", "add r14 r16 r14", "rsh r14 r22 r3", "and r3 r27 r3", "mod r3 r28 r3",
                  "add r6 r3 r7", "set r1 1", "push r1", "nlthis r7", "ncall r4", "set r1 0", "push r1", "nlthis r7",
                  "ncall r4", "inc r10", "cmp r10 r11"})
        .Jump(scatterLoop, "jmp_lt");
    hit.setup = scatter.Text();
    hit.setupPasses = scattered;
    b.cases.push_back(hit);

    // The build's search for focus ancestors up a chain of 200,000 labels, which misses the cache
    // at every step, twice a pass: each focus handler at its end stales the remembered answers.
    UnitPriceCase focus;
    focus.name = "focus lookup (a build's, up a chain of 200,000 labels)";
    focus.passes = 20;
    focus.xml = FocusHandlersComingAndGoingUnderADeepChain(b.Count(200000), focus.passes);
    focus.onceXml = FocusHandlersComingAndGoingUnderADeepChain(b.Count(200000), 1);
    b.cases.push_back(focus);

    // Showing a broom of 8,000 chains of 10 labels, each with an empty focus handler: each label
    // shown notifies every label above it, each a cache miss away.
    const std::string reacting = "<label>" + Event("OnGainFocus", "");
    b.Method(exports::SET_VISIBLE,
             "<gui><label name=\"broom\">" + Repeat(Nested(reacting, "</label>", 10), b.Count(8000)) + "</label></gui>",
             "broom", {1}, 10, {0}, true)
        .name += " (broom of focus handlers)";

    // GetCheckedIndex of a group of 500,000 labels: none is a radio button.
    b.Method(exports::GET_CHECKED_INDEX,
             "<gui><radiobuttongroup name=\"g\">" + Labels(b.Count(500000)) + "</radiobuttongroup></gui>", "g", {},
             20);
    // And of a group of 120,000 dialogs, as many as a build makes: each child lies apart from
    // the next, its parts between them.
    b.Method(exports::GET_CHECKED_INDEX,
             "<gui><radiobuttongroup name=\"g\">" + Repeat("<dialog/>", b.Count(120000)) + "</radiobuttongroup></gui>",
             "g", {}, 20)
        .name += " (dialogs)";
    return b.cases;
}

} // namespace kestrova_test

// Handler text written a call at a time: the code from address 0, 4 bytes an instruction, then a
// halt and the strings it names, so that every jump target is known while the code is written.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kestrova_test {

class HandlerText {
public:
    // The address of the next instruction.
    uint32_t Here() const { return 4 * static_cast<uint32_t>(lines.size()); }

    // One instruction, or one a line; "$k" in them stands for the address of string k.
    HandlerText& Code(const std::string& instruction) { return Code({instruction}); }
    HandlerText& Code(std::initializer_list<std::string> instructions)
    {
        lines.insert(lines.end(), instructions);
        return *this;
    }
    HandlerText& Jump(uint32_t to, const std::string& mnemonic = "jmp")
    {
        return Code(mnemonic + " " + std::to_string(to));
    }
    // Looks method up on object: r4 the function word, r6 the object word (r20 and r21 used).
    HandlerText& Find(const std::string& method, const std::string& object)
    {
        return Code({"set r20 " + Str("Kestrova.exe"), "nlink r20 r21", "set r20 " + Str(method), "nsa r21 r20 r4",
                     "set r20 " + Str(object), "ndsa r20 r6"});
    }
    // Pushes the argument words (the first argument last) and calls what Find found; r0 keeps the
    // result.
    HandlerText& Invoke(const std::vector<int>& args = {})
    {
        for (auto a = args.rbegin(); a != args.rend(); ++a)
            Code({"set r1 " + std::to_string(*a), "push r1"});
        return Code({"nlthis r6", "ncall r4"});
    }
    HandlerText& Call(const std::string& method, const std::string& object, const std::vector<int>& args = {})
    {
        return Find(method, object).Invoke(args);
    }
    // A C-string argument.
    HandlerText& CallWithString(const std::string& method, const std::string& object, const std::string& text)
    {
        return Code({"set r1 " + Str(text), "m2xm r1 r2", "push r2"}).Call(method, object);
    }
    // Sets r to the address of s (at most 255 bytes; the assembler keeps no more).
    HandlerText& SetString(int r, const std::string& s) { return Code("set r" + std::to_string(r) + " " + Str(s)); }
    // Copies r0 to r (r9 is kept 0 for that).
    HandlerText& Keep(int r) { return Code("add r0 r9 r" + std::to_string(r)); }

    std::string Text() const
    {
        std::vector<uint32_t> at;
        uint32_t next = Here() + 4;
        for (const std::string& s : strings) {
            at.push_back(next);
            next += static_cast<uint32_t>(s.size()) + 1;
        }
        std::string text;
        for (std::string line : lines) {
            for (size_t k = strings.size(); k-- > 0;) {
                const std::string mark = "$" + std::to_string(k);
                for (size_t p = line.find(mark); p != std::string::npos; p = line.find(mark))
                    line.replace(p, mark.size(), std::to_string(at[k]));
            }
            text += line + "\n";
        }
        text += "halt\n";
        for (const std::string& s : strings)
            text += "s \"" + s + "\"\n";
        return text;
    }

private:
    std::string Str(const std::string& s)
    {
        strings.push_back(s);
        return "$" + std::to_string(strings.size() - 1);
    }

    std::vector<std::string> lines;
    std::vector<std::string> strings;
};

// The event element that holds a handler.
inline std::string Event(const std::string& name, const std::string& text)
{
    return "<event name=\"" + name + "\">" + text + "</event>";
}

} // namespace kestrova_test

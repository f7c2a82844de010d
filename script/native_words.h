// The 32-bit words that stand for native things in handler programs: machine addresses made
// native by m2xm, and the window texts and colours that exported getters return.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace Tamrik {

// Word ranges; each kind lives in its own range so no word is mistaken for another kind.
constexpr uint32_t MEMORY_WORD_BASE = 0x10000000u;   // m2xm: base + machine address
constexpr uint32_t OBJECT_WORD_BASE = 0x20000000u;   // ndsa: base + registry entry
constexpr uint32_t FUNCTION_WORD_BASE = 0x30000000u; // nsa: base + export row
constexpr uint32_t MODULE_WORD = 0x4B455300u;        // nlink of the program itself
constexpr uint32_t TEXT_WORD_BASE = 0x50000000u;     // GetText results
constexpr uint32_t COLOUR_WORD_BASE = 0x60000000u;   // GetTextColor results
constexpr uint32_t WORD_KIND_SPAN = 0x10000000u;

class NativeWords {
public:
    explicit NativeWords(const uint8_t* memory) : memory(memory) {}

    // m2xm and xm2m: plain arithmetic, so that one undoes the other for every value.
    static uint32_t FromMachineAddress(uint32_t address) { return MEMORY_WORD_BASE + address; }
    static uint32_t ToMachineAddress(uint32_t word) { return word - MEMORY_WORD_BASE; }

    // The NUL-terminated string that a memory word designates, or null when the word designates
    // no machine address or the string would run past the end of the memory.
    const char* String(uint32_t word) const;
    // Same for a machine address itself (the string operands of nlink, nsa and ndsa).
    const char* StringAt(uint32_t address) const;

    // A word for a window's text; the same text always gets the same word. 0 when the table is full.
    uint32_t TextWord(const std::string& text);
    // The text a word designates, or null.
    const std::string* Text(uint32_t word) const;

    // A word for a window's three colour bytes; 0 when the table is full.
    uint32_t ColourWord(const unsigned char* colour);
    const unsigned char* Colour(uint32_t word) const;

    // Texts and colours belong to registered windows, which live as long as the program.
    static constexpr size_t MAX_ENTRIES = 65536;

    // The things handed out as words, by word, and each one's word.
    template <class T>
    struct Table {
        std::vector<const T*> things;
        std::unordered_map<const T*, uint32_t> words;
    };

private:
    const uint8_t* memory;
    Table<std::string> texts;
    Table<unsigned char> colours;
};

} // namespace Tamrik

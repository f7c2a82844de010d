// Word <-> native thing conversions of the native-call bridge.
#include "script/native_words.h"

#include <cstring>

#include "script/byte_code.h"

namespace Tamrik {

namespace {

template <class T>
uint32_t WordFor(std::vector<const T*>& table, const T* thing, uint32_t base)
{
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i] == thing)
            return base + static_cast<uint32_t>(i);
    if (table.size() >= NativeWords::MAX_ENTRIES)
        return 0;
    table.push_back(thing);
    return base + static_cast<uint32_t>(table.size() - 1);
}

template <class T>
const T* ThingFor(const std::vector<const T*>& table, uint32_t word, uint32_t base)
{
    uint32_t index = word - base;
    return index < table.size() ? table[index] : nullptr;
}

} // namespace

const char* NativeWords::String(uint32_t word) const
{
    return StringAt(ToMachineAddress(word));
}

const char* NativeWords::StringAt(uint32_t address) const
{
    if (address >= MACHINE_MEMORY_SIZE)
        return nullptr;
    const void* end = std::memchr(memory + address, 0, MACHINE_MEMORY_SIZE - address);
    return end ? reinterpret_cast<const char*>(memory + address) : nullptr;
}

uint32_t NativeWords::TextWord(const std::string& text)
{
    return WordFor(texts, &text, TEXT_WORD_BASE);
}

const std::string* NativeWords::Text(uint32_t word) const
{
    return ThingFor(texts, word, TEXT_WORD_BASE);
}

uint32_t NativeWords::ColourWord(const unsigned char* colour)
{
    return WordFor(colours, colour, COLOUR_WORD_BASE);
}

const unsigned char* NativeWords::Colour(uint32_t word) const
{
    return ThingFor(colours, word, COLOUR_WORD_BASE);
}

} // namespace Tamrik

// Word <-> native thing conversions of the native-call bridge.
#include "script/native_words.h"

#include <cstring>

#include "script/byte_code.h"

namespace Tamrik {

namespace {

// A thing's word is looked up, not searched for: a handler may ask for it again and again with
// the table full.
template <class T>
uint32_t WordFor(NativeWords::Table<T>& table, const T* thing, uint32_t base)
{
    auto found = table.words.find(thing);
    if (found != table.words.end())
        return found->second;
    if (table.things.size() >= NativeWords::MAX_ENTRIES)
        return 0;
    const uint32_t word = base + static_cast<uint32_t>(table.things.size());
    table.things.push_back(thing);
    table.words.emplace(thing, word);
    return word;
}

template <class T>
const T* ThingFor(const NativeWords::Table<T>& table, uint32_t word, uint32_t base)
{
    uint32_t index = word - base;
    return index < table.things.size() ? table.things[index] : nullptr;
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

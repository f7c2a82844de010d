// The frame's visible-face set as a reusable bit set.
#include "render/face_set.h"

namespace Tamrik {

void CFaceSet::reserve(int32_t faces)
{
    if (faces <= 0)
        return;
    const size_t needed = (static_cast<size_t>(faces) + 63) / 64;
    if (words.size() < needed)
        words.resize(needed, 0);
}

void CFaceSet::insert(int32_t face)
{
    if (face < 0)
        return;
    const size_t word = static_cast<size_t>(face) / 64;
    if (word >= words.size())
        words.resize(word + 1, 0);
    const uint64_t bit = uint64_t{1} << (face % 64);
    if (words[word] & bit)
        return;
    words[word] |= bit;
    ++count;
    if (word + 1 > usedWords)
        usedWords = word + 1;
}

bool CFaceSet::contains(int32_t face) const
{
    if (face < 0)
        return false;
    const size_t word = static_cast<size_t>(face) / 64;
    return word < usedWords && (words[word] >> (face % 64)) & 1;
}

void CFaceSet::clear()
{
    for (size_t i = 0; i < usedWords; ++i)
        words[i] = 0;
    usedWords = 0;
    count = 0;
}

int32_t CFaceSet::NextFrom(int32_t from) const
{
    if (from < 0)
        return -1;
    size_t word = static_cast<size_t>(from) / 64;
    if (word >= usedWords)
        return -1;
    uint64_t bits = words[word] & (~uint64_t{0} << (from % 64));
    while (bits == 0) {
        if (++word >= usedWords)
            return -1;
        bits = words[word];
    }
    return static_cast<int32_t>(word * 64 + static_cast<size_t>(__builtin_ctzll(bits)));
}

} // namespace Tamrik

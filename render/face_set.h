// The frame's visible-face set: face indices kept once each and walked in ascending order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tamrik {

// A bit per face instead of a tree: inserting and walking cost no allocation once the bits
// cover the level's faces, so a frame that refills the set allocates nothing. The words are
// kept across clear(); only an index beyond every earlier one grows them.
class CFaceSet {
public:
    class const_iterator {
    public:
        using value_type = int32_t;
        using difference_type = std::ptrdiff_t;

        const_iterator() = default;
        int32_t operator*() const { return index; }
        const_iterator& operator++()
        {
            index = set->NextFrom(index + 1);
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return index == other.index; }

    private:
        friend class CFaceSet;
        const_iterator(const CFaceSet* owner, int32_t at) : set(owner), index(at) {}
        const CFaceSet* set = nullptr;
        int32_t index = -1; // -1 is the end
    };
    using iterator = const_iterator;

    // Makes room for indices 0 to count - 1 so that inserting them never allocates.
    void reserve(int32_t count);
    // Negative indices are not faces and are ignored.
    void insert(int32_t face);
    bool contains(int32_t face) const;
    void clear();
    bool empty() const { return count == 0; }
    size_t size() const { return count; }

    const_iterator begin() const { return const_iterator(this, NextFrom(0)); }
    const_iterator end() const { return const_iterator(this, -1); }

private:
    // The first member at or after from, or -1.
    int32_t NextFrom(int32_t from) const;

    std::vector<uint64_t> words;
    size_t count = 0;
    // Words below this one may hold bits; clear() and the walk look no further.
    size_t usedWords = 0;
};

} // namespace Tamrik

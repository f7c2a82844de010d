// Counting in tests: how often a text occurs, and charges of work that grow with their items.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace kestrova_test {

// How often part occurs in text.
inline size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Units for no items, n items and 2n items: each n items more cost the same, and each item more
// than `within` units (a measured part of its work), so at least one. What an item costs is the
// bench's to show, not a test's.
inline void ExpectPerItem(const std::function<uint64_t(int)>& units, int n, uint64_t within = 0)
{
    const uint64_t none = units(0), some = units(n), twice = units(2 * n);
    EXPECT_GE(some, none + static_cast<uint64_t>(n) * (within + 1));
    EXPECT_EQ(twice - some, some - none);
}

} // namespace kestrova_test

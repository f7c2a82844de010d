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

// Units for no items, n items and 2n items: each n items more cost n times the price.
inline void ExpectPerItem(const std::function<uint64_t(int)>& units, int n, uint64_t price)
{
    const uint64_t none = units(0), some = units(n), twice = units(2 * n);
    EXPECT_EQ(some - none, n * price);
    EXPECT_EQ(twice - some, n * price);
}

// As ExpectPerItem, where the price is known only from below.
inline void ExpectAtLeastPerItem(const std::function<uint64_t(int)>& units, int n, uint64_t leastPrice)
{
    const uint64_t none = units(0), some = units(n), twice = units(2 * n);
    EXPECT_GE(some - none, n * leastPrice);
    EXPECT_EQ(twice - some, some - none);
}

} // namespace kestrova_test

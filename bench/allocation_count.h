// Counts the program's allocations, so benchmarks can report those made per frame. Included by
// exactly one file of each benchmark program, as it replaces the global operator new.
#pragma once
#include <atomic>
#include <cstdlib>
#include <new>

// The replaced operators below pair new with free on purpose; GCC sees them inlined into the
// static initialisers and takes them for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<long> g_Allocations{0};
}

void* operator new(std::size_t size)
{
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

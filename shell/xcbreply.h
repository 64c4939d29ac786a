#pragma once

#include <cstdlib>
#include <memory>

// An xcb reply or event, which xcb allocates with malloc() and the caller frees.
struct XcbFree
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

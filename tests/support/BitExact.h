// Bit-exact comparison of sample buffers, with the place of the first difference for messages.
#pragma once

#include <cstring>
#include <vector>

namespace test_support {

// The first index where the two differ in their bits (or in length), -1 when they are equal.
inline long long firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return static_cast<long long>(i);
    return a.size() == b.size() ? -1 : static_cast<long long>(n);
}

} // namespace test_support

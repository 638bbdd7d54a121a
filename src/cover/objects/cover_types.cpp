#include "cover/objects/cover_types.h"

#include <cstdlib>

namespace px {

int mulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const long long p = static_cast<long long>(a) * b;
    const long long half = std::llabs(c) / 2;
    const long long r = ((p < 0) != (c < 0)) ? -((std::llabs(p) + half) / std::llabs(c))
                                             : (std::llabs(p) + half) / std::llabs(c);
    return static_cast<int>(r);
}

int TCoverFont::size() const {
    return -mulDiv(height, 72, kScreenPixelsPerInch);
}

void TCoverFont::setSize(int points) {
    height = -mulDiv(points, kScreenPixelsPerInch, 72);
}

}  // namespace px

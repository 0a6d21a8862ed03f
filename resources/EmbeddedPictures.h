// Pictures compiled into a Linux binary as PNG data, looked up by their integer resource id
// (the same ids as the BITMAP resources of the Windows modules). The definitions are
// generated at build time from a picture set (see resources/CMakeLists.txt); a binary links
// exactly one picture set.
#pragma once

#include <cstddef>

struct EmbeddedPicture {
    int id;
    const unsigned char* png;
    std::size_t size;
};

// The picture with this id, or null when the binary carries none.
const EmbeddedPicture* findEmbeddedPicture(int id);

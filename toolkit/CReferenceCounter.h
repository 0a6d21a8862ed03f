// Base of every toolkit object: a reference count that deletes the object when the last
// reference is released. Whoever creates an object holds one reference; whoever stores a
// pointer to a shared object retains it and later releases it.
#pragma once

#include <cstdint>

namespace VSTGUI {

class CReferenceCounter {
public:
    CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;
    virtual ~CReferenceCounter() {}

    virtual void release()
    {
        if (nbReference-- == 1)
            delete this;
    }
    virtual void retain() { nbReference++; }

    int32_t getNbReference() const { return nbReference; }

private:
    int32_t nbReference = 1;
};

} // namespace VSTGUI

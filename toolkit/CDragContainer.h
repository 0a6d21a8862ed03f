// What is being dragged onto the frame: the platform's drag data and its item count.
#pragma once

#include "CReferenceCounter.h"

#include <cstdint>

namespace VSTGUI {

class CDragContainer : public CReferenceCounter {
public:
    // platformDrag: the system's drag data (Win32: IDataObject*), may be null.
    explicit CDragContainer(void* platformDrag);
    ~CDragContainer() override;

    void* getPlatformDrag() const { return platformDrag; }
    int32_t getCount() const { return itemCount; }

protected:
    void* platformDrag;
    int32_t itemCount = 0;
    int32_t reserved = 0;
    void* items = nullptr;
};

} // namespace VSTGUI

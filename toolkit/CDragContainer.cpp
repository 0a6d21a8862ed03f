#include "CDragContainer.h"

#include "platform/PlatformInput.h"

#include <cstdlib>

namespace VSTGUI {

CDragContainer::CDragContainer(void* platformDrag) : platformDrag(platformDrag)
{
    itemCount = platformDrag != nullptr ? platformDragItemCount(platformDrag) : 0;
}

CDragContainer::~CDragContainer()
{
    std::free(items);
}

} // namespace VSTGUI

#include "ModuleHandle.h"

namespace {
void* moduleHandle = nullptr;
}

void setModuleHandle(void* handle)
{
    moduleHandle = handle;
}

void* getModuleHandle()
{
    return moduleHandle;
}

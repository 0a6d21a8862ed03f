// The module instance handle, kept by the module-load hook for resources and windows.
#pragma once

void setModuleHandle(void* handle);
void* getModuleHandle();

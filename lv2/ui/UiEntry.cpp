// The UI module's entry point: one X11 UI for the plug-in, with the idle interface.
#include "EditorUI.h"
#include "OrvannePorts.h"

#include <cstring>

namespace {

using orvanne_lv2::kPluginUri;
using orvanne_lv2::kUiUri;

LV2UI_Handle instantiate(const LV2UI_Descriptor* descriptor, const char* pluginUri, const char* bundlePath,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features)
{
    (void)descriptor;
    (void)bundlePath;
    // A host that asks for another plug-in's UI gets none.
    if (pluginUri != nullptr && std::strcmp(pluginUri, kPluginUri) != 0)
        return nullptr;
    return EditorUI::create(write, controller, features, widget);
}

void cleanup(LV2UI_Handle handle)
{
    if (handle != nullptr)
        static_cast<EditorUI*>(handle)->destroy();
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer)
{
    if (handle != nullptr)
        static_cast<EditorUI*>(handle)->portEvent(port, bufferSize, format, buffer);
}

int idle(LV2UI_Handle handle)
{
    return handle != nullptr ? static_cast<EditorUI*>(handle)->idle() : 1;
}

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri)
{
    if (uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &kIdleInterface;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

} // namespace

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}

#include "EditorUI.h"

#include "CFrame.h"
#include "CVSTEditor.h"
#include "ControlSetting.h"
#include "OrvannePorts.h"
#include "ProxyEffect.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

using namespace orvanne_lv2;

// The control input ports in order, as parameter indices.
constexpr VstInt32 kPortParameters[kControlInputCount] = {kParamInputThres, kParamOutCeiling, kParamRecovery,
                                                          kParamPower};
static_assert(kPortInputThres == kFirstControlInput && kPortPower == kFirstControlInput + 3, "control port order");

// The port of a parameter index, or -1 for the parameters without one.
int32_t portOfParameter(VstInt32 index)
{
    for (uint32_t i = 0; i < kControlInputCount; ++i)
        if (kPortParameters[i] == index)
            return static_cast<int32_t>(kFirstControlInput + i);
    return -1;
}

const void* findFeature(const LV2_Feature* const* features, const char* uri)
{
    if (features == nullptr)
        return nullptr;
    for (const LV2_Feature* const* f = features; *f != nullptr; ++f)
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

} // namespace

EditorUI* EditorUI::create(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_Feature* const* features,
                           LV2UI_Widget* widget)
{
    // An X window id, never 0.
    void* parent = const_cast<void*>(findFeature(features, LV2_UI__parent));
    if (parent == nullptr) {
        std::fprintf(stderr, "Orvanne UI: the host gives no parent window (ui:parent); the editor needs one\n");
        return nullptr;
    }

    EditorUI* ui = new (std::nothrow) EditorUI();
    if (ui == nullptr)
        return nullptr;
    ui->write = write;
    ui->controller = controller;
    ui->touch = static_cast<const LV2UI_Touch*>(findFeature(features, LV2_UI__touch));
    try {
        ui->proxy = new (std::nothrow) ProxyEffect(&EditorUI::hostCallback, &createEditor);
    } catch (...) {
        ui->proxy = nullptr;
    }
    if (ui->proxy == nullptr || !ui->proxy->isValid()) {
        std::fprintf(stderr, "Orvanne UI: out of memory\n");
        delete ui->proxy;
        ui->proxy = nullptr;
        delete ui;
        return nullptr;
    }
    ui->effect = ui->proxy->getAeffect();
    // The host callback finds its instance here (the field is the host's by convention).
    ui->effect->user = ui;
    for (VstInt32 index : kPortParameters)
        ui->pluginValues[index] = ui->plainValue(index);

    void* window = nullptr;
    CVSTEditor* editor = static_cast<CVSTEditor*>(ui->proxy->getEditor());
    if (ui->dispatch(effEditOpen, 0, parent) != 0 && editor != nullptr && editor->getToolkitFrame() != nullptr)
        window = editor->getToolkitFrame()->getWindow();
    if (window == nullptr) {
        // No display, no visual to draw with, or a parent that is not a window on the display
        // (the editor has said which on the line before): it would show nothing.
        std::fprintf(stderr, "Orvanne UI: the editor cannot open a window in the host's\n");
        ui->destroy();
        return nullptr;
    }
    if (widget != nullptr)
        *widget = window;

    const LV2UI_Resize* resize = static_cast<const LV2UI_Resize*>(findFeature(features, LV2_UI__resize));
    ERect* rect = nullptr;
    if (resize != nullptr && resize->ui_resize != nullptr && ui->dispatch(effEditGetRect, 0, &rect) != 0 &&
        rect != nullptr)
        resize->ui_resize(resize->handle, rect->right - rect->left, rect->bottom - rect->top);
    return ui;
}

EditorUI::~EditorUI()
{
    if (effect != nullptr) {
        effect->user = nullptr;
        dispatch(effEditClose);
        // Deletes the proxy and the editor with it.
        dispatch(effClose);
        effect = nullptr;
        proxy = nullptr;
    }
}

void EditorUI::destroy()
{
    write = nullptr;
    touch = nullptr;
    if (callDepth > 0) {
        destroyPending = true;
        return;
    }
    delete this;
}

VstIntPtr EditorUI::dispatch(VstInt32 opcode, VstIntPtr value, void* ptr)
{
    if (effect == nullptr || effect->dispatcher == nullptr)
        return 0;
    return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
}

float EditorUI::plainValue(VstInt32 index) const
{
    return proxy->getParamRecord(index).value;
}

void EditorUI::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer)
{
    if (format != 0 || bufferSize != sizeof(float) || buffer == nullptr || proxy == nullptr)
        return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof(value));
    if (port >= kFirstMeter && port < kFirstMeter + kMeterCount) {
        // The meter ports carry getParameter(11..15) in order.
        proxy->setReading(kReadingOutLeft + static_cast<VstInt32>(port - kFirstMeter), value);
        return;
    }
    if (port < kFirstControlInput || port >= kFirstControlInput + kControlInputCount)
        return;
    const VstInt32 index = kPortParameters[port - kFirstControlInput];
    // The setting the plug-in makes of the value (NaN leaves it as it is), through the effect's
    // records; the editor shows it on its next idle. Nothing goes back to the host.
    if (!std::isnan(value)) {
        const float normalized = proxy->normalizeValue(index, controlSetting(*proxy, index, port, value));
        if (normalized != proxy->getParameterNormalized(index))
            proxy->setParameter(index, normalized);
    }
    pluginValues[index] = plainValue(index);
}

int EditorUI::idle()
{
    if (destroyPending)
        return 0;
    ++callDepth;
    dispatch(effEditIdle);
    --callDepth;
    if (destroyPending && callDepth == 0) {
        delete this;
        return 0;
    }
    writeEditorChanges();
    return 0;
}

void EditorUI::writeParameter(VstInt32 index)
{
    const int32_t port = portOfParameter(index);
    if (port < 0)
        return;
    // A preset recall reports every parameter; the plug-in hears only those that change (a
    // repeated Power would restart its engine).
    const float plain = plainValue(index);
    if (plain == pluginValues[index])
        return;
    pluginValues[index] = plain;
    if (write != nullptr)
        write(controller, static_cast<uint32_t>(port), sizeof(plain), 0, &plain);
}

void EditorUI::writeEditorChanges()
{
    for (VstInt32 index : kPortParameters)
        if (plainValue(index) != pluginValues[index])
            writeParameter(index);
}

void EditorUI::touchParameter(VstInt32 index, bool grabbed)
{
    const int32_t port = portOfParameter(index);
    if (port >= 0 && touch != nullptr && touch->touch != nullptr)
        touch->touch(touch->handle, static_cast<uint32_t>(port), grabbed);
}

VstIntPtr VSTCALLBACK EditorUI::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                             void* ptr, float opt)
{
    (void)value;
    (void)ptr;
    (void)opt;
    if (opcode == audioMasterVersion)
        return 2400;
    EditorUI* ui = effect != nullptr ? static_cast<EditorUI*>(effect->user) : nullptr;
    if (ui == nullptr)
        return 0;
    switch (opcode) {
    case audioMasterAutomate:
        // The editor set the parameter from its normalised value; the proxy holds the plain
        // value its records make of it, which is what the plug-in's port takes.
        ui->writeParameter(index);
        return 0;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        ui->touchParameter(index, opcode == audioMasterBeginEdit);
        return 1;
    default:
        return 0;
    }
}

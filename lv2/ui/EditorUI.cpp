#include "EditorUI.h"

#include "CFrame.h"
#include "CVSTEditor.h"
#include "ControlSetting.h"
#include "OrvannePorts.h"
#include "ProxyEffect.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/patch/patch.h>

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
    LV2_URID_Map* map = static_cast<LV2_URID_Map*>(const_cast<void*>(findFeature(features, LV2_URID__map)));
    if (map != nullptr && map->map != nullptr) {
        ui->map = map;
        Urids& ids = ui->urids;
        ids.eventTransfer = map->map(map->handle, LV2_ATOM__eventTransfer);
        ids.mapWith(*map);
    }
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
    ui->proxy->getProgramName(ui->pluginName);

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
    if (buffer == nullptr || proxy == nullptr)
        return;
    if (port == kPortNotify && map != nullptr && format == urids.eventTransfer) {
        takePluginMessage(bufferSize, buffer);
        return;
    }
    if (format != 0 || bufferSize != sizeof(float))
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
    // The host may clean up from inside any of these calls (its write function included): the
    // object stays until they are done.
    ++callDepth;
    if (!nameAsked) {
        nameAsked = true;
        writeNameMessage(nullptr);
    }
    if (!destroyPending)
        dispatch(effEditIdle);
    if (!destroyPending)
        writeEditorChanges();
    --callDepth;
    if (destroyPending && callDepth == 0)
        delete this;
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
    char name[kPresetNameSize] = {};
    proxy->getProgramName(name);
    if (std::strcmp(name, pluginName) != 0) {
        std::memcpy(pluginName, name, sizeof(pluginName));
        writeNameMessage(name);
    }
}

void EditorUI::writeNameMessage(const char* name)
{
    if (map == nullptr || write == nullptr)
        return;
    alignas(8) uint8_t buffer[128];
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, map);
    lv2_atom_forge_set_buffer(&forge, buffer, sizeof(buffer));
    LV2_Atom_Forge_Frame frame;
    LV2_Atom* message = reinterpret_cast<LV2_Atom*>(
        lv2_atom_forge_object(&forge, &frame, 0, name != nullptr ? urids.patchSet : urids.patchGet));
    lv2_atom_forge_key(&forge, urids.patchProperty);
    lv2_atom_forge_urid(&forge, urids.programName);
    if (name != nullptr) {
        lv2_atom_forge_key(&forge, urids.patchValue);
        lv2_atom_forge_string(&forge, name, static_cast<uint32_t>(std::strlen(name)));
    }
    lv2_atom_forge_pop(&forge, &frame);
    write(controller, kPortControl, lv2_atom_total_size(message), urids.eventTransfer, message);
}

void EditorUI::takePluginMessage(uint32_t size, const void* buffer)
{
    const LV2_Atom* atom = static_cast<const LV2_Atom*>(buffer);
    if (size < sizeof(LV2_Atom) || lv2_atom_total_size(atom) > size || atom->type != urids.atomObject)
        return;
    const LV2_Atom_Object* object = static_cast<const LV2_Atom_Object*>(buffer);
    if (object->body.otype != urids.patchSet)
        return;
    const LV2_Atom* property = nullptr;
    const LV2_Atom* value = nullptr;
    lv2_atom_object_get(object, urids.patchProperty, &property, urids.patchValue, &value, 0);
    if (property == nullptr || property->type != urids.atomUrid ||
        reinterpret_cast<const LV2_Atom_URID*>(property)->body != urids.programName || value == nullptr ||
        value->type != urids.atomString)
        return;
    char name[kPresetNameSize] = {};
    const char* text = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
    std::memcpy(name, text, strnlen(text, value->size < sizeof(name) ? value->size : sizeof(name) - 1));
    // The plug-in's name becomes the proxy's, as a host's restore of its chunk makes it: the
    // values stay (the ports tell them), the editor shows the name, nothing goes back.
    std::memcpy(pluginName, name, sizeof(pluginName));
    void* data = nullptr;
    if (proxy->getChunk(&data) != static_cast<VstInt32>(sizeof(PresetRecord)) || data == nullptr)
        return;
    PresetRecord record;
    std::memcpy(&record, data, sizeof(record));
    std::memcpy(record.presetName, name, sizeof(record.presetName));
    proxy->setChunk(&record, sizeof(record));
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

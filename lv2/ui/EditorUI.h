// One instance of the LV2 UI: the plug-in's editor, opened into the host's window on an
// audio-less proxy of the effect. The editor's edits reach the plug-in through the host's
// write function as plain values of the control ports; the host's port events set the proxy's
// parameters and the meters' readings.
#pragma once

#include "NameMessageUrids.h"
#include "PresetRecord.h"
#include "VstInterface.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

class ProxyEffect;

class EditorUI {
public:
    // Opens the editor into the window that features give as ui:parent; null (with the reason
    // on stderr) without a parent, without a display or when the editor cannot open there.
    static EditorUI* create(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_Feature* const* features,
                            LV2UI_Widget* widget);
    // The host's cleanup: closes the editor and frees everything. Called from inside the
    // editor's own loop (a host answering a write with it), the rest waits until the loop is
    // done; the host hears nothing more in the meantime.
    void destroy();

    // Control ports set the proxy's parameters; the meter ports its readings; the plug-in's
    // messages (atom:eventTransfer, with urid:map) its program name.
    void portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
    // The host's idle: the editor's window events and redraw, then what the editor changed
    // without telling (a preset chosen from its menu or arrows: the values and the program
    // name) goes to the host. The first asks the plug-in for its program name. 0: keep open.
    int idle();

private:
    EditorUI() = default;
    ~EditorUI();

    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                              void* ptr, float opt);
    VstIntPtr dispatch(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr);
    // The parameter's plain value as the proxy holds it.
    float plainValue(VstInt32 index) const;
    // Writes the parameter's plain value to its port; it is then what the plug-in has.
    void writeParameter(VstInt32 index);
    void writeEditorChanges();
    void touchParameter(VstInt32 index, bool grabbed);
    // A patch message about the program name to the plug-in: Set with name, else Get.
    void writeNameMessage(const char* name);
    void takePluginMessage(uint32_t size, const void* buffer);

    struct Urids : orvanne_lv2::NameMessageUrids {
        LV2_URID eventTransfer = 0;
    };

    ProxyEffect* proxy = nullptr;
    AEffect* effect = nullptr;
    LV2UI_Write_Function write = nullptr;
    LV2UI_Controller controller = nullptr;
    const LV2UI_Touch* touch = nullptr;
    // Per parameter index: the plain value the plug-in has as far as the UI knows (the last
    // port event or write, as the proxy holds it).
    float pluginValues[8] = {};
    // Set when the host offers urid:map: the program name travels only then.
    LV2_URID_Map* map = nullptr;
    Urids urids;
    // The program name the plug-in has as far as the UI knows; asked for on the first idle.
    char pluginName[kPresetNameSize] = {};
    bool nameAsked = false;
    // Depth of the host's calls into the editor in progress, and a cleanup that waits for them.
    int callDepth = 0;
    bool destroyPending = false;
};

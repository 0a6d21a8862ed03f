// The URIDs of the program-name messages that the plug-in and its UI exchange: patch:Get and
// patch:Set objects whose property is kProgramNameUri and whose value is an atom:String.
#pragma once

#include "OrvannePorts.h"

#include <lv2/atom/atom.h>
#include <lv2/patch/patch.h>
#include <lv2/urid/urid.h>

namespace orvanne_lv2 {

struct NameMessageUrids {
    LV2_URID atomObject = 0;
    LV2_URID atomString = 0;
    LV2_URID atomUrid = 0;
    LV2_URID patchGet = 0;
    LV2_URID patchSet = 0;
    LV2_URID patchProperty = 0;
    LV2_URID patchValue = 0;
    LV2_URID programName = 0;

    void mapWith(const LV2_URID_Map& map)
    {
        atomObject = map.map(map.handle, LV2_ATOM__Object);
        atomString = map.map(map.handle, LV2_ATOM__String);
        atomUrid = map.map(map.handle, LV2_ATOM__URID);
        patchGet = map.map(map.handle, LV2_PATCH__Get);
        patchSet = map.map(map.handle, LV2_PATCH__Set);
        patchProperty = map.map(map.handle, LV2_PATCH__property);
        patchValue = map.map(map.handle, LV2_PATCH__value);
        programName = map.map(map.handle, kProgramNameUri);
    }
};

} // namespace orvanne_lv2

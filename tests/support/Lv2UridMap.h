// The URID map of the LV2 hosts of the tests and of peer-bench: URID n is the n-th URI asked
// for, and unmap answers it back.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <string>
#include <vector>

namespace test_support {

class UridMap {
public:
    UridMap()
    {
        mapData.handle = this;
        mapData.map = [](LV2_URID_Map_Handle handle, const char* uri) {
            return static_cast<UridMap*>(handle)->map(uri);
        };
        unmapData.handle = this;
        unmapData.unmap = [](LV2_URID_Unmap_Handle handle, LV2_URID urid) {
            return static_cast<UridMap*>(handle)->unmap(urid);
        };
        mapFeature = {LV2_URID__map, &mapData};
        unmapFeature = {LV2_URID__unmap, &unmapData};
        featureList[0] = &mapFeature;
        featureList[1] = &unmapFeature;
        featureList[2] = nullptr;
    }
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID map(const char* uri)
    {
        for (size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri)
                return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    const char* unmap(LV2_URID urid) const
    {
        return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
    }
    LV2_URID_Map* mapFeatureData() { return &mapData; }
    LV2_URID_Unmap* unmapFeatureData() { return &unmapData; }
    // Null-terminated list holding urid:map and urid:unmap, for instantiate, save and restore.
    const LV2_Feature* const* features() const { return featureList; }

private:
    std::vector<std::string> uris;
    LV2_URID_Map mapData;
    LV2_URID_Unmap unmapData;
    LV2_Feature mapFeature;
    LV2_Feature unmapFeature;
    const LV2_Feature* featureList[3];
};

} // namespace test_support

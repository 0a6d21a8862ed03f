// A read-only text box showing a stored text instead of a value.
#pragma once

#include "controls/CParamDisplay.h"

namespace VSTGUI {

class CStaticText : public CParamDisplay {
public:
    CStaticText(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
    ~CStaticText() override;

    void draw(CDrawContext* context) override;

    // Copies at most 255 characters and marks the box for redrawing; null means empty.
    void setText(const char* text);
    const char* getText() const { return staticText; }
    // A text too long for the box shows its beginning and an ellipsis (by default it is
    // aligned as set and cut at the box's edges).
    void setEndEllipsis(bool on)
    {
        endEllipsis = on;
        setDirty(true);
    }
    void drawStaticText(CDrawContext* context, const char* text);

protected:
    char staticText[256];
    bool endEllipsis = false;
};

} // namespace VSTGUI

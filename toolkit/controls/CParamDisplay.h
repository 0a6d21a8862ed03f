// A text read-out of a value: formatted by a converter (or "%2.2f"), drawn over a background
// bitmap or a filled box with optional 3D border and shadow text.
#pragma once

#include "controls/CControl.h"

namespace VSTGUI {

// Display styles (one bit set per display).
enum : int32_t {
    StyleHorizontal = 1,
    StyleMultipleCheck = 1,
    StyleVertical = 2,
    StyleShadowText = 4,
    Style3DIn = 128,
    Style3DOut = 256,
    StylePopup = 512,
    StyleCheck = 1024,
    StyleNoText = 2048,
    StyleNoDraw = 4096,
    StyleNoFrame = 16384
};

// Converters from a value to its text; text has room for 256 characters with the terminator.
typedef void (*ValueToTextFunction)(float value, char* text);
typedef void (*ValueToTextWithDataFunction)(float value, char* text, void* userData);
typedef void (*TextToValueFunction)(char* text, float& value);

class CParamDisplay : public CControl {
public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
    ~CParamDisplay() override;

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

    virtual void setFont(int32_t fontId);
    virtual int32_t getFont() const { return fontId; }
    virtual void setFontColor(const CColor& color);
    virtual CColor getFontColor() const { return fontColor; }
    virtual void setBackColor(const CColor& color);
    virtual CColor getBackColor() const { return backColor; }
    virtual void setFrameColor(const CColor& color);
    virtual CColor getFrameColor() const { return frameColor; }
    virtual void setShadowColor(const CColor& color);
    virtual CColor getShadowColor() const { return shadowColor; }
    virtual void setHoriAlign(int32_t align);
    virtual void setValueToTextWithData(ValueToTextWithDataFunction function, void* userData);
    virtual void setValueToText(ValueToTextFunction function);
    virtual void setTextToValue(TextToValueFunction function);
    virtual void setStyle(int32_t style);
    virtual int32_t getStyle() const { return style; }
    virtual void setTextStyle(int32_t style);
    virtual int32_t getTextStyle() const { return textStyle; }
    virtual void setTextTransparency(bool flag) { textTransparency = flag; }
    virtual bool getTextTransparency() const { return textTransparency; }

    // The text this display shows for its value (at most 255 characters).
    void formatValue(char* text) const;
    // Background (pressedBackground when given), border and text.
    void drawText(CDrawContext* context, const char* text, CBitmap* pressedBackground = nullptr);

protected:
    ValueToTextFunction valueToText = nullptr;
    ValueToTextWithDataFunction valueToTextWithData = nullptr;
    TextToValueFunction textToValue = nullptr;
    void* userData = nullptr;
    int32_t horizontalAlign = 1;
    int32_t style;
    int32_t fontId = 3;
    int32_t textStyle = 0;
    CColor fontColor;
    CColor backColor;
    CColor frameColor;
    CColor shadowColor;
    bool textTransparency = true;
};

} // namespace VSTGUI

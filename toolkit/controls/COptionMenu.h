// A pop-up menu control: a list of text entries (with separators, submenus, greyed entries and
// titles marked in the text), a current entry shown like a CParamDisplay, and on a click the
// platform's pop-up menu. The listener receives the menu that holds the chosen entry (this one
// or a submenu) with the entry's index as its value.
#pragma once

#include "controls/CParamDisplay.h"

#include <array>
#include <vector>

namespace VSTGUI {

struct PopupMenu;

class COptionMenu : public CParamDisplay {
public:
    enum : int32_t { kMaxEntries = 1024, kEntryTextSize = 256 };

    COptionMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background = nullptr,
                CBitmap* pressedBackground = nullptr, int32_t style = 0);
    ~COptionMenu() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
    void loseFocus(CDrawContext* context = nullptr) override;
    // Opens the pop-up, reports the choice, then gives up the focus and ends the edit.
    void takeFocus(CDrawContext* context = nullptr) override;
    bool isTypeOf(const char* name) const override;
    // Makes entry int(value) current; values outside the entries change nothing at all.
    void setValue(float value) override;

    // Entry texts: "-" separator, "-M" submenu, "-G" greyed, "-T" title; at most 255 characters.
    // index -1 appends; otherwise the entry is inserted before index.
    virtual bool addEntry(const char* text, int32_t index = -1);
    // Adds an entry that opens submenu (retained).
    virtual bool addEntry(COptionMenu* submenu, const char* text);
    // countSeparator false: the index counts only entries that are neither separators nor titles.
    virtual int32_t getCurrent(char* text = nullptr, bool countSeparator = true) const;
    virtual bool setCurrent(int32_t index, bool countSeparator = true);
    virtual bool getEntry(int32_t index, char* text) const;
    virtual bool setEntry(int32_t index, const char* text);
    virtual bool removeEntry(int32_t index);
    virtual bool removeAllEntry();
    virtual int32_t getNbEntries() const { return nbEntries(); }
    // The first entry whose stored text is exactly text; -1 when none.
    virtual int32_t getIndex(const char* text) const;
    virtual bool checkEntry(int32_t index, bool state);
    virtual bool checkEntryAlone(int32_t index);
    virtual bool isCheckEntry(int32_t index) const;
    virtual void setNbItemsPerColumn(int32_t count) { nbItemsPerColumn = count; }
    virtual int32_t getNbItemsPerColumn() const { return nbItemsPerColumn; }
    virtual COptionMenu* getSubMenu(int32_t index) const;
    // 2, 3 or 4: new entries are numbered "1 ", "01 " or "001 " (the first n characters are
    // not drawn).
    virtual void setPrefixNumbers(int32_t count) { prefixNumbers = count; }

    // The menu id of the last choice (-1 for none) and the menu that held it.
    int32_t getLastResult() const { return lastResult; }
    COptionMenu* getLastItemMenu() const { return lastMenu; }
    int32_t getNbSubMenus() const { return int32_t(submenus.size()); }

    // The pop-up's tree as the platform shows it: ids in blocks, one per menu, this menu's
    // block starting at idCounter. Answers false when nothing could be built.
    bool buildPopupMenu(PopupMenu& menu, int32_t& idCounter) const;
    // The menu that owns id in a tree built from idCounter 0, and the entry's index in it.
    COptionMenu* findOwner(int32_t id, int32_t& index) const;

protected:
    typedef std::array<char, kEntryTextSize> EntryText;

    int32_t nbEntries() const { return int32_t(entries.size()); }
    static bool isSeparator(const char* text) { return text[0] == '-' && text[1] == 0; }
    static bool isTitle(const char* text) { return text[0] == '-' && text[1] == 'T'; }
    static bool isSubmenuEntry(const char* text) { return text[0] == '-' && text[1] == 'M'; }
    // Writes text (numbered when prefixNumbers asks for it) into entry, cut to 255 characters.
    void storeText(EntryText& entry, const char* marker, const char* text, int32_t number) const;
    const char* currentDisplayText() const;
    bool build(PopupMenu& menu, int32_t& idCounter, int32_t depth,
               std::vector<std::pair<const COptionMenu*, int32_t>>* blocks) const;

    bool popupOpen = false;
    std::vector<EntryText> entries;
    std::vector<COptionMenu*> submenus;
    std::vector<uint8_t> checkMarks;
    int32_t currentIndex = -1;
    CBitmap* pressedBackground;
    int32_t lastButtons = MouseRight;
    int32_t nbItemsPerColumn = -1;
    int32_t lastResult = -1;
    int32_t prefixNumbers = 0;
    COptionMenu* lastMenu = nullptr;
};

} // namespace VSTGUI

#include "controls/COptionMenu.h"

#include "AEffGUIEditor.h"
#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"
#include "platform/MenuPresenter.h"
#include "platform/PlatformFrame.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace VSTGUI {

namespace {

// Submenus nested deeper than this (or containing themselves) are left out of the pop-up.
constexpr int32_t kMaxMenuDepth = 32;
constexpr int32_t kColumnBreakEntryLimit = 160;

void copyEntry(char* out, const char* text)
{
    const size_t length = strnlen(text, COptionMenu::kEntryTextSize - 1);
    std::memcpy(out, text, length);
    out[length] = 0;
}

} // namespace

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                         CBitmap* pressedBackground, int32_t style)
    : CParamDisplay(size, background, style), pressedBackground(pressedBackground)
{
    this->listener = listener;
    this->tag = tag;
    if (pressedBackground != nullptr)
        pressedBackground->retain();
}

COptionMenu::~COptionMenu()
{
    removeAllEntry();
    if (pressedBackground != nullptr)
        pressedBackground->release();
}

bool COptionMenu::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "COptionMenu") == 0)
        return true;
    return CParamDisplay::isTypeOf(name);
}

// Entries --------------------------------------------------------------------------------

void COptionMenu::storeText(EntryText& entry, const char* marker, const char* text, int32_t number) const
{
    static const char* const numbered[] = {"%s%1d %s", "%s%02d %s", "%s%03d %s"};
    if (prefixNumbers >= 2 && prefixNumbers <= 4)
        std::snprintf(entry.data(), entry.size(), numbered[prefixNumbers - 2], marker, int(number), text);
    else
        std::snprintf(entry.data(), entry.size(), "%s%s", marker, text);
}

bool COptionMenu::addEntry(const char* text, int32_t index)
{
    if (nbEntries() >= kMaxEntries)
        return false;
    try {
        if (entries.size() == entries.capacity())
            entries.reserve(entries.size() + 32);
        checkMarks.reserve(entries.capacity());
    } catch (const std::bad_alloc&) {
        return false;
    }
    entries.emplace_back();
    checkMarks.push_back(0);
    const int32_t count = nbEntries() - 1; // entries before this one
    int32_t pos = count;
    if (index >= 0) {
        for (int32_t i = count; i > index; --i) {
            entries[size_t(i)] = entries[size_t(i) - 1];
            checkMarks[size_t(i)] = checkMarks[size_t(i) - 1];
        }
        pos = index < count ? index : count;
        checkMarks[size_t(pos)] = 0;
        if (currentIndex >= index)
            currentIndex++;
    }
    storeText(entries[size_t(pos)], "", text != nullptr ? text : "", pos + 1);
    if (currentIndex < 0)
        currentIndex = 0;
    return true;
}

bool COptionMenu::addEntry(COptionMenu* submenu, const char* text)
{
    if (nbEntries() >= kMaxEntries || submenu == nullptr || text == nullptr)
        return false;
    try {
        entries.reserve(entries.size() + (entries.size() == entries.capacity() ? 32 : 0));
        checkMarks.reserve(entries.capacity());
        submenus.reserve(submenus.size() + (submenus.size() == submenus.capacity() ? 10 : 0));
    } catch (const std::bad_alloc&) {
        return false;
    }
    entries.emplace_back();
    checkMarks.push_back(0);
    storeText(entries.back(), "-M", text, nbEntries());
    submenus.push_back(submenu);
    submenu->retain();
    if (currentIndex < 0)
        currentIndex = 0;
    return true;
}

int32_t COptionMenu::getCurrent(char* text, bool countSeparator) const
{
    if (currentIndex < 0 || currentIndex >= nbEntries())
        return -1;
    if (text != nullptr)
        copyEntry(text, entries[size_t(currentIndex)].data());
    if (countSeparator)
        return currentIndex;
    int32_t count = 0;
    for (int32_t i = 0; i < currentIndex; ++i) {
        const char* t = entries[size_t(i)].data();
        if (!isSeparator(t) && !isTitle(t))
            count++;
    }
    return count;
}

bool COptionMenu::setCurrent(int32_t index, bool countSeparator)
{
    if (index < 0 || index >= nbEntries())
        return false;
    if (countSeparator) {
        if (isSeparator(entries[size_t(index)].data()))
            return false;
        currentIndex = index;
    } else {
        int32_t seen = 0;
        int32_t pos = 0;
        for (int32_t i = 0; i < nbEntries() && seen < index + 1; ++i) {
            pos = i;
            const char* t = entries[size_t(i)].data();
            if (!isSeparator(t) && !isTitle(t))
                seen++;
        }
        currentIndex = pos;
    }
    if (style & StyleMultipleCheck)
        checkMarks[size_t(currentIndex)] = checkMarks[size_t(currentIndex)] ? 0 : 1;
    setDirty(true);
    return true;
}

bool COptionMenu::getEntry(int32_t index, char* text) const
{
    if (index < 0 || index >= nbEntries() || text == nullptr)
        return false;
    copyEntry(text, entries[size_t(index)].data());
    return true;
}

bool COptionMenu::setEntry(int32_t index, const char* text)
{
    if (index < 0 || index >= nbEntries() || text == nullptr)
        return false;
    copyEntry(entries[size_t(index)].data(), text);
    return true;
}

bool COptionMenu::removeEntry(int32_t index)
{
    if (index < 0 || index >= nbEntries())
        return false;
    // A submenu entry takes its submenu along; the submenus stay paired with the "-M" entries
    // in order.
    if (isSubmenuEntry(entries[size_t(index)].data())) {
        size_t n = 0;
        for (int32_t i = 0; i < index; ++i)
            if (isSubmenuEntry(entries[size_t(i)].data()))
                n++;
        if (n < submenus.size()) {
            submenus[n]->release();
            submenus.erase(submenus.begin() + long(n));
        }
    }
    entries.erase(entries.begin() + index);
    checkMarks.erase(checkMarks.begin() + index);
    if (currentIndex >= index)
        currentIndex--;
    if (entries.empty())
        currentIndex = -1;
    return true;
}

bool COptionMenu::removeAllEntry()
{
    for (COptionMenu* submenu : submenus)
        submenu->release();
    submenus.clear();
    entries.clear();
    checkMarks.clear();
    currentIndex = -1;
    return true;
}

int32_t COptionMenu::getIndex(const char* text) const
{
    if (text == nullptr)
        return -1;
    for (int32_t i = 0; i < nbEntries(); ++i)
        if (std::strcmp(entries[size_t(i)].data(), text) == 0)
            return i;
    return -1;
}

bool COptionMenu::checkEntry(int32_t index, bool state)
{
    if (index < 0 || index >= nbEntries())
        return false;
    checkMarks[size_t(index)] = state ? 1 : 0;
    return true;
}

bool COptionMenu::checkEntryAlone(int32_t index)
{
    if (index < 0 || index >= nbEntries())
        return false;
    for (uint8_t& mark : checkMarks)
        mark = 0;
    checkMarks[size_t(index)] = 1;
    return true;
}

bool COptionMenu::isCheckEntry(int32_t index) const
{
    if (index < 0 || index >= nbEntries())
        return false;
    return checkMarks[size_t(index)] != 0;
}

COptionMenu* COptionMenu::getSubMenu(int32_t index) const
{
    if (index < 0 || index >= int32_t(submenus.size()))
        return nullptr;
    return submenus[size_t(index)];
}

void COptionMenu::setValue(float newValue)
{
    if (!(newValue >= 0.f && newValue < float(nbEntries())))
        return;
    const int32_t n = int32_t(newValue);
    currentIndex = n;
    if (style & StyleMultipleCheck)
        checkMarks[size_t(n)] = checkMarks[size_t(n)] ? 0 : 1;
    value = newValue;
    setDirty(true);
}

// Drawing ---------------------------------------------------------------------------------

const char* COptionMenu::currentDisplayText() const
{
    if (currentIndex < 0 || currentIndex >= nbEntries())
        return nullptr;
    const char* text = entries[size_t(currentIndex)].data();
    const size_t length = std::strlen(text);
    const size_t skip = prefixNumbers > 0 ? size_t(prefixNumbers) : 0;
    return text + (skip < length ? skip : length);
}

void COptionMenu::draw(CDrawContext* context)
{
    drawText(context, currentDisplayText(), nullptr);
}

// The pop-up ------------------------------------------------------------------------------

bool COptionMenu::build(PopupMenu& menu, int32_t& idCounter, int32_t depth,
                        std::vector<std::pair<const COptionMenu*, int32_t>>* blocks) const
{
    if (depth > kMaxMenuDepth)
        return false;
    const int32_t start = idCounter;
    idCounter += nbEntries();
    if (blocks != nullptr)
        blocks->push_back(std::make_pair(this, start));
    size_t nextSubmenu = 0;
    for (int32_t k = 0; k < nbEntries(); ++k) {
        const char* text = entries[size_t(k)].data();
        PopupMenuItem item;
        item.id = start + k;
        if (isSeparator(text)) {
            item.flags = kMenuItemSeparator;
            item.id = -1;
            menu.items.push_back(item);
            continue;
        }
        if (nbEntries() < kColumnBreakEntryLimit && nbItemsPerColumn > 0 && k > 0 && k % nbItemsPerColumn == 0)
            item.flags |= kMenuItemColumnBreak;
        if (isSubmenuEntry(text)) {
            if (nextSubmenu >= submenus.size())
                continue;
            auto sub = std::make_shared<PopupMenu>();
            if (!submenus[nextSubmenu++]->build(*sub, idCounter, depth + 1, blocks))
                continue;
            item.flags |= kMenuItemPopup;
            item.id = -1;
            item.submenu = sub;
            item.text = text + 2;
        } else if (text[0] == '-' && text[1] == 'G') {
            item.flags |= kMenuItemGrayed;
            item.text = text + 2;
        } else if (isTitle(text)) {
            item.flags |= kMenuItemDisabled;
            item.text = text + 2;
        } else {
            if (((style & StyleMultipleCheck) && checkMarks[size_t(k)]) || ((style & StyleCheck) && k == currentIndex))
                item.flags |= kMenuItemChecked;
            item.text = text;
        }
        menu.items.push_back(item);
    }
    return true;
}

bool COptionMenu::buildPopupMenu(PopupMenu& menu, int32_t& idCounter) const
{
    return build(menu, idCounter, 0, nullptr);
}

COptionMenu* COptionMenu::findOwner(int32_t id, int32_t& index) const
{
    PopupMenu menu;
    int32_t counter = 0;
    std::vector<std::pair<const COptionMenu*, int32_t>> blocks;
    build(menu, counter, 0, &blocks);
    for (const auto& block : blocks) {
        if (id >= block.second && id < block.second + block.first->getNbEntries()) {
            index = id - block.second;
            return const_cast<COptionMenu*>(block.first);
        }
    }
    index = -1;
    return nullptr;
}

void COptionMenu::mouse(CDrawContext* context, CPoint& where, int32_t buttons)
{
    (void)where;
    if (!mouseEnabled || parentFrame == nullptr || context == nullptr)
        return;
    if (buttons == -1)
        buttons = context->getMouseButtons();
    lastButtons = buttons;
    if (modifierClickConsumed(context, buttons))
        return;
    if ((buttons & (MouseLeft | MouseRight | ModCommand)) == 0)
        return;
    if (pressedBackground != nullptr) {
        const char* text = currentDisplayText();
        drawText(context, text != nullptr ? text : "", pressedBackground);
    }
    beginEdit();
    takeFocus(context);
}

void COptionMenu::loseFocus(CDrawContext* context)
{
    (void)context;
    popupOpen = false;
}

void COptionMenu::takeFocus(CDrawContext* context)
{
    if (parentFrame == nullptr)
        return;
    // The host's idle keeps running while the pop-up is open and may close the window.
    NestedLoopScope scope(parentFrame->getEditor());
    lastResult = -1;
    lastMenu = nullptr;

    CPoint position;
    if (context != nullptr)
        position = context->getWindowOrigin();
    else if (parentFrame->getPlatformFrame() != nullptr)
        position = parentFrame->getPlatformFrame()->getWindowOrigin();
    for (CView* view = parentView; view != nullptr; view = view->getParentView()) {
        if (view->notify(this, kMsgCheckIfViewContainer) == 1) {
            CRect r;
            view->getViewSize(r);
            position.offset(r.left, r.top);
        }
    }

    PopupMenu menu;
    int32_t idCounter = 0;
    int32_t result = -1;
    if (build(menu, idCounter, 0, nullptr)) {
        PopupPlacement placement;
        placement.position = CPoint(position.h + size.left,
                                    position.v + ((style & StylePopup) ? size.top : size.bottom));
        placement.rightButton = (lastButtons & MouseRight) != 0;
        placement.window = parentFrame->getWindow();
        popupOpen = true;
        parentFrame->popupStarted();
        result = MenuPresenter::platformPresenter()->popup(menu, placement);
        parentFrame->popupEnded();
        popupOpen = false;
        // A choice made while the window was being closed goes nowhere.
        if (parentFrame->isClosing())
            result = -1;
        if (result >= 0)
            lastResult = result;
        else
            result = -1;
    }

    if (result >= 0 || pressedBackground != nullptr) {
        CDrawContext* own = nullptr;
        if (context == nullptr && result >= 0)
            context = own = parentFrame->createDrawContext();
        if (pressedBackground != nullptr)
            setDirty(true);
        if (result >= 0) {
            int32_t index = -1;
            COptionMenu* owner = findOwner(result, index);
            if (owner != nullptr) {
                lastMenu = owner;
                owner->setValue(float(index));
                if (listener != nullptr)
                    listener->valueChanged(context, lastMenu);
            } else {
                lastResult = -1;
            }
        }
        if (own != nullptr)
            own->release();
    }

    parentFrame->setFocusView(nullptr);
    endEdit();
}

} // namespace VSTGUI

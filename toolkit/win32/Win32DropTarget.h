// The OLE drop target of a frame window: forwards the system's drag events to the frame's
// CDropTarget until it is detached.
#pragma once

#include <ole2.h>

namespace VSTGUI {

class CDropTarget;

class Win32DropTarget : public IDropTarget {
public:
    explicit Win32DropTarget(CDropTarget* target) : target(target) {}

    // After this no event reaches the CDropTarget any more.
    void detach() { target = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

private:
    virtual ~Win32DropTarget() {}

    LONG references = 1; // the creator's
    CDropTarget* target;
};

} // namespace VSTGUI

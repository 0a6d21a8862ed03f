#include "Win32DropTarget.h"

#include "../CDropTarget.h"
#include "../platform/PlatformInput.h"

#include <shellapi.h>

namespace VSTGUI {

HRESULT STDMETHODCALLTYPE Win32DropTarget::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IDropTarget) || IsEqualIID(iid, IID_IUnknown)) {
        AddRef();
        *object = this;
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE Win32DropTarget::AddRef()
{
    return ULONG(++references);
}

ULONG STDMETHODCALLTYPE Win32DropTarget::Release()
{
    const LONG left = --references;
    if (left <= 0) {
        delete this;
        return 0;
    }
    return ULONG(left);
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    DWORD answer = DROPEFFECT_NONE;
    if (data != nullptr && target != nullptr)
        answer = DWORD(target->dragEnter(data));
    if (effect != nullptr)
        *effect = answer;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragOver(DWORD, POINTL, DWORD* effect)
{
    if (target != nullptr && CDropTarget::currentDrag() != nullptr) {
        const DWORD answer = DWORD(target->dragOver());
        if (effect != nullptr)
            *effect = answer;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragLeave()
{
    if (target != nullptr)
        target->dragLeave();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD*)
{
    if (target != nullptr)
        target->drop();
    return S_OK;
}

int32_t platformDragItemCount(void* platformDrag)
{
    auto* data = static_cast<IDataObject*>(platformDrag);
    if (data == nullptr)
        return 0;
    FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        ReleaseStgMedium(&medium);
        return 1;
    }
    format.cfFormat = CF_HDROP;
    medium = STGMEDIUM();
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        const UINT files = DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0xFFFFFFFFu, nullptr, 0);
        ReleaseStgMedium(&medium);
        return int32_t(files);
    }
    return 0;
}

} // namespace VSTGUI

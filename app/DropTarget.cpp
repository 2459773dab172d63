#include "app/DropTarget.h"

#include "app/DropRules.h"
#include "app/Handles.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace quorvell {

namespace {

// Whether the names of a file list that starts at `offset` end inside the block. The
// system walks a list name by name, past each name's NUL, and stops at the first NUL that
// follows one: the first two NUL characters in a row, which may be the list's first two
// (an empty list). It trusts the block to hold them, so a list without them is refused.
template <typename Char>
bool fileListEndsInside(const unsigned char* block, std::size_t size, std::size_t offset) {
    bool previousWasNul = false;
    for (std::size_t at = offset; at + sizeof(Char) <= size; at += sizeof(Char)) {
        Char c;
        std::memcpy(&c, block + at, sizeof c);
        if (c == 0 && previousWasNul) {
            return true;
        }
        previousWasNul = c == 0;
    }
    return false;
}

// Whether `memory` holds a DROPFILES header whose names lie wholly inside the block.
bool isWellFormedFileList(HGLOBAL memory) {
    const SIZE_T size = GlobalSize(memory);
    const GlobalMemoryLock lock(memory);
    if (!lock.data() || size < sizeof(DROPFILES)) {
        return false;
    }
    const auto* block = static_cast<const unsigned char*>(lock.data());
    DROPFILES header;
    std::memcpy(&header, block, sizeof header);
    if (header.pFiles > size) {
        return false;
    }
    return header.fWide ? fileListEndsInside<wchar_t>(block, size, header.pFiles)
                        : fileListEndsInside<char>(block, size, header.pFiles);
}

// The names of a file list in list order, in the ANSI code page.
std::vector<Text> fileNames(HDROP list) {
    std::vector<Text> names;
    const UINT count = DragQueryFileA(list, 0xFFFFFFFF, nullptr, 0);
    names.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(list, i, nullptr, 0);
        std::string name(static_cast<std::size_t>(length) + 1, '\0');
        const UINT copied = DragQueryFileA(list, i, name.data(), length + 1);
        name.resize(copied <= length ? copied : length);
        names.emplace_back(std::move(name));
    }
    return names;
}

} // namespace

FORMATETC DropTarget::fileListFormat() {
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

DropTarget::~DropTarget() {
    revoke();
}

bool DropTarget::registerWindow(HWND window) {
    if (registrationTried_) {
        return false;
    }
    registrationTried_ = true;
    window_ = window;
    registered_ = RegisterDragDrop(window, this) == S_OK;
    return registered_;
}

void DropTarget::revoke() {
    if (registered_) {
        registered_ = false;
        RevokeDragDrop(window_);
    }
}

HRESULT DropTarget::QueryInterface(REFIID iid, void** object) noexcept {
    if (!object) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() noexcept {
    return ++references_;
}

ULONG DropTarget::Release() noexcept {
    return references_ > 0 ? --references_ : 0;
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) noexcept {
    FORMATETC format = fileListFormat();
    acceptable_ = data && data->QueryGetData(&format) == S_OK;
    if (!effect) {
        return E_INVALIDARG;
    }
    *effect = dropEffect(acceptable_, keys, *effect);
    return S_OK;
}

HRESULT DropTarget::DragOver(DWORD keys, POINTL, DWORD* effect) noexcept {
    if (!effect) {
        return E_INVALIDARG;
    }
    *effect = dropEffect(acceptable_, keys, *effect);
    return S_OK;
}

HRESULT DropTarget::DragLeave() noexcept {
    acceptable_ = false;
    return S_OK;
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD keys, POINTL, DWORD* effect) noexcept {
    if (!effect) {
        return E_FAIL;
    }
    *effect = dropEffect(acceptable_, keys, *effect);
    if (*effect == kDropEffectNone || !data) {
        return E_FAIL;
    }
    FORMATETC format = fileListFormat();
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK) {
        return E_FAIL;
    }
    // The medium is the data object's answer: only a file list in global memory whose
    // names end inside the block is read; anything else counts as no list.
    std::vector<Text> names;
    const bool readable =
        medium.tymed == TYMED_HGLOBAL && medium.hGlobal && isWellFormedFileList(medium.hGlobal);
    if (readable) {
        names = fileNames(static_cast<HDROP>(medium.hGlobal));
    }
    ReleaseStgMedium(&medium);
    if (!readable) {
        return E_FAIL;
    }
    const Text path = filesDroppedText(names);
    names.clear();
    // The handler, and with it the whole scan, runs before this returns.
    if (filesDropped_) {
        filesDropped_(path);
    }
    return E_FAIL; // in every case, also after the event was raised
}

} // namespace quorvell

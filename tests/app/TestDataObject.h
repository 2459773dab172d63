// A drag's data for the drop tests: an IDataObject that offers a file list (CF_HDROP in
// global memory) made of given bytes, or only other formats, and that can refuse GetData.
#pragma once

#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace quorvell::apptest {

// The bytes of a DROPFILES block: the header, then each name and its NUL, then the NUL
// that ends the list (two NULs for a list without names).
inline std::vector<unsigned char> fileListBytes(const std::vector<std::wstring>& names) {
    std::vector<unsigned char> bytes(sizeof(DROPFILES));
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(bytes.data(), &header, sizeof header);
    const auto put = [&bytes](const std::wstring& text) {
        const auto* first = reinterpret_cast<const unsigned char*>(text.c_str());
        bytes.insert(bytes.end(), first, first + (text.size() + 1) * sizeof(wchar_t));
    };
    for (const std::wstring& name : names) {
        put(name);
    }
    put(L"");
    if (names.empty()) {
        put(L"");
    }
    return bytes;
}

// The same list with ANSI names.
inline std::vector<unsigned char> ansiFileListBytes(const std::vector<std::string>& names) {
    std::vector<unsigned char> bytes(sizeof(DROPFILES));
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = FALSE;
    std::memcpy(bytes.data(), &header, sizeof header);
    for (const std::string& name : names) {
        bytes.insert(bytes.end(), name.begin(), name.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    return bytes;
}

// COM interfaces have no virtual destructor: no one ever deletes through them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class TestDataObject final : public IDataObject {
  public:
    enum class Offer { fileList, textOnly };

    TestDataObject(Offer offer, std::vector<unsigned char> fileList)
        : offer_(offer), fileList_(std::move(fileList)) {}
    static TestDataObject files(const std::vector<std::wstring>& names) {
        return TestDataObject(Offer::fileList, fileListBytes(names));
    }
    static TestDataObject text() { return TestDataObject(Offer::textOnly, {}); }

    bool refuseGetData = false;
    int getDataCalls = 0;
    int queryGetDataCalls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        ++getDataCalls;
        if (refuseGetData || !offers(*format)) {
            return DV_E_FORMATETC;
        }
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, fileList_.size());
        if (!block) {
            return E_OUTOFMEMORY;
        }
        std::memcpy(GlobalLock(block), fileList_.data(), fileList_.size());
        GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr; // the receiver frees the block
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        ++queryGetDataCalls;
        return offers(*format) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) override {
        *out = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }

  private:
    bool offers(const FORMATETC& format) const {
        if (offer_ == Offer::textOnly) {
            return format.cfFormat == CF_TEXT && (format.tymed & TYMED_HGLOBAL) != 0;
        }
        return format.cfFormat == CF_HDROP && (format.tymed & TYMED_HGLOBAL) != 0 &&
               format.dwAspect == DVASPECT_CONTENT;
    }

    Offer offer_;
    std::vector<unsigned char> fileList_;
    ULONG references_ = 1;
};
#pragma GCC diagnostic pop

} // namespace quorvell::apptest

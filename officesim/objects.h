// The server's automation objects: application, document collection and document, all
// one class whose members come from the table in members.cpp.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "officesim/members.h"

namespace officesim {

class SimObject final : public IDispatch {
public:
    explicit SimObject(ObjectKind kind, std::wstring path = L"");
    SimObject(const SimObject&) = delete;
    SimObject& operator=(const SimObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

private:
    ~SimObject();
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result,
                 EXCEPINFO* excep, UINT* argErr, std::vector<std::wstring>& logFields);
    HRESULT Run(const Member& member, const std::vector<VARIANT*>& args, VARIANT* result,
                EXCEPINFO* excep, UINT* argErr);
    void Detach(SimObject* document);

    LONG refs_ = 1;
    ObjectKind kind_;
    std::wstring path_;               // documents: the opened file
    bool open_ = false;               // documents: not yet closed
    SimObject* collection_ = nullptr; // application: owned; documents: the owner, not held
    std::vector<SimObject*> documents_;  // collection: the open documents, held
};

}  // namespace officesim

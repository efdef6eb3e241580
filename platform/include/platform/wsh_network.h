// The Windows Script Host network object: the workstation's network drive connections.
#pragma once

#include "com/unknown.h"
#include "com/variant.h"

struct IWshCollection : IDispatch {
    static constexpr IID iid = make_guid("{F935DC27-1CF0-11D0-ADB9-00C04FD58A0B}");
    virtual HRESULT STDMETHODCALLTYPE Item(VARIANT* index, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
};

struct IWshNetwork2 : IDispatch {
    static constexpr IID iid = make_guid("{24BE5A31-EDFE-11D2-B933-00104B365C9F}");
    // Pairs of strings: local name (a drive letter with colon, or empty), then the UNC share.
    virtual HRESULT STDMETHODCALLTYPE EnumNetworkDrives(IWshCollection** drives) = 0;
};

inline constexpr CLSID CLSID_WshNetwork = make_guid("{093FF999-1EA0-4079-9525-9614C3504B74}");

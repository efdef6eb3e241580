// The Windows Script Host network object's interfaces, every member in the platform's vtable order:
// the workstation's network drive connections.
#pragma once

#include "com/bstr.h"
#include "com/unknown.h"
#include "com/variant.h"

struct IWshCollection : IDispatch {
    static constexpr IID iid = make_guid("{F935DC27-1CF0-11D0-ADB9-00C04FD58A0B}");
    virtual HRESULT STDMETHODCALLTYPE Item(VARIANT* index, VARIANT* value) = 0;
    // A method, not a property, on the platform's object; length is the property.
    virtual HRESULT STDMETHODCALLTYPE Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_length(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** enumerator) = 0;
};

struct IWshNetwork : IDispatch {
    static constexpr IID iid = make_guid("{F935DC25-1CF0-11D0-ADB9-00C04FD58A0B}");
    virtual HRESULT STDMETHODCALLTYPE get_UserDomain(BSTR* domain) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserProfile(BSTR* profile) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ComputerName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Organization(BSTR* organization) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Site(BSTR* site) = 0;
    virtual HRESULT STDMETHODCALLTYPE MapNetworkDrive(BSTR local_name, BSTR remote_name, VARIANT* update_profile,
                                                      VARIANT* user_name, VARIANT* password) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveNetworkDrive(BSTR name, VARIANT* force, VARIANT* update_profile) = 0;
    // Pairs of strings: local name (a drive letter with colon, or empty), then the UNC share.
    virtual HRESULT STDMETHODCALLTYPE EnumNetworkDrives(IWshCollection** drives) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPrinterConnection(BSTR local_name, BSTR remote_name, VARIANT* update_profile,
                                                           VARIANT* user_name, VARIANT* password) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePrinterConnection(BSTR name, VARIANT* force, VARIANT* update_profile) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumPrinterConnections(IWshCollection** printers) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDefaultPrinter(BSTR name) = 0;
};

// The network object's default interface.
struct IWshNetwork2 : IWshNetwork {
    static constexpr IID iid = make_guid("{24BE5A31-EDFE-11D2-B933-00104B365C9F}");
    virtual HRESULT STDMETHODCALLTYPE AddWindowsPrinterConnection(BSTR printer, BSTR driver, BSTR port) = 0;
};

inline constexpr CLSID CLSID_WshNetwork = make_guid("{093FF999-1EA0-4079-9525-9614C3504B74}");

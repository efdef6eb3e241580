// The closed host components the plug-in calls, as the host declares them. Every interface is
// dual; only the members the plug-in uses are listed, in the host's order.
#pragma once

#include "com/bstr.h"
#include "com/unknown.h"
#include "com/variant.h"

struct IHostDataObject;
struct IHostConnection;
struct IHostCommand;
struct IHostRecordSource;
struct IHostRecordset;

struct ISessionContext : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9A1-0024-11D4-90E4-00C04F37AA48}");
    virtual HRESULT STDMETHODCALLTYPE get_SessionID(LONG* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ApplicationTitle(BSTR* title) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDataObject(BSTR key, IHostDataObject** data) = 0;
};

struct IHostApplicationContext : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9A2-0024-11D4-90E4-00C04F37AA48}");
    // An object that supports ISessionContext.
    virtual HRESULT STDMETHODCALLTYPE get_Session(IDispatch** session) = 0;
};

struct IHostApplication : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9A3-0024-11D4-90E4-00C04F37AA48}");
    virtual HRESULT STDMETHODCALLTYPE get_ApplicationContext(IHostApplicationContext** context) = 0;
};

struct IHostDataObject : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9A4-0024-11D4-90E4-00C04F37AA48}");
    virtual HRESULT STDMETHODCALLTYPE get_Connection(IHostConnection** connection) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RecordSources(IHostCommand** command) = 0;
};

// Options of OpenRecordset.
inline constexpr LONG kRecordsetForward = 4096;    // forward-only, positioned on its first row
inline constexpr LONG kRecordsetWriteBack = 16384; // used only to write back through UpdateField

struct IHostConnection : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9A5-0024-11D4-90E4-00C04F37AA48}");
    // number and text are passed by reference and not looked at afterwards.
    virtual HRESULT STDMETHODCALLTYPE OpenRecordset(BSTR query, LONG options, BSTR source, LONG* number, BSTR* text,
                                  IHostRecordset** recordset) = 0;
};

struct IHostCommand : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9A6-0024-11D4-90E4-00C04F37AA48}");
    virtual HRESULT STDMETHODCALLTYPE CreateRecordSource(VARIANT optional, IHostRecordSource** source) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseRecordSource(VARIANT key) = 0;
};

struct IHostRecordSource : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9A7-0024-11D4-90E4-00C04F37AA48}");
    virtual HRESULT STDMETHODCALLTYPE get_SQL(BSTR* sql) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddField(BSTR name, BSTR alias, VARIANT optional) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTable(BSTR table, LONG flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Key(BSTR* key) = 0;
};

struct IHostRecordset : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9A8-0024-11D4-90E4-00C04F37AA48}");
    virtual HRESULT STDMETHODCALLTYPE get_FieldValue(VARIANT column, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveNext() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EOF(VARIANT_BOOL* eof) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    // Stores value in field of the row of table whose key_field equals key.
    virtual HRESULT STDMETHODCALLTYPE UpdateField(BSTR table, BSTR field, BSTR key_field, VARIANT* key, VARIANT* value,
                                SHORT* result) = 0;
};

struct IHostFileServices : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9A9-0024-11D4-90E4-00C04F37AA48}");
    // The folder in the form to which a bare file name is appended directly.
    virtual HRESULT STDMETHODCALLTYPE FolderForFile(BSTR folder, BSTR* result) = 0;
    // The file-name part of path, or its folder part when folder_part is true.
    virtual HRESULT STDMETHODCALLTYPE SplitPath(BSTR path, VARIANT_BOOL folder_part, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE MakeTempFileName(BSTR* location, BSTR* extension, LONG* number, BSTR* path) = 0;
    // The platform's FileSystemObject.
    virtual HRESULT STDMETHODCALLTYPE get_FileSystem(IDispatch** file_system) = 0;
};

struct IHostOleServices : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9AA-0024-11D4-90E4-00C04F37AA48}");
    virtual HRESULT STDMETHODCALLTYPE get_TempPath(BSTR* location) = 0;
};

struct IHostStringServices : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9AB-0024-11D4-90E4-00C04F37AA48}");
    virtual HRESULT STDMETHODCALLTYPE FormatText(BSTR text, SAFEARRAY** values, BSTR* result) = 0;
};

struct IHostPathServices : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9AC-0024-11D4-90E4-00C04F37AA48}");
    // A folder path ending in a separator; 12 is the folder of the page file.
    virtual HRESULT STDMETHODCALLTYPE FolderPath(LONG folder_id, BSTR* path) = 0;
};
inline constexpr LONG kPageFileFolder = 12;

// The host's stand-alone API.
struct IKWOpen : IDispatch {
    static constexpr IID iid = make_guid("{4EE2F9AD-0024-11D4-90E4-00C04F37AA48}");
    virtual HRESULT STDMETHODCALLTYPE Initialize(BSTR application_key, BSTR user, BSTR password, LONG flags, BSTR database,
                               LONG options, VARIANT_BOOL* opened) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SessionContext(ISessionContext** context) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastError(BSTR* text) = 0;
};

// The host's creatable classes.
inline constexpr CLSID CLSID_HostOleServices = make_guid("{4EE2FAF3-0024-11D4-90E4-00C04F37AA48}");
inline constexpr CLSID CLSID_HostFileServices = make_guid("{4EE2FB22-0024-11D4-90E4-00C04F37AA48}");
inline constexpr CLSID CLSID_HostStringServices = make_guid("{4EE2FB30-0024-11D4-90E4-00C04F37AA48}");
inline constexpr CLSID CLSID_HostPathServices = make_guid("{4EE2FB31-0024-11D4-90E4-00C04F37AA48}");
inline constexpr CLSID CLSID_KWOpen = make_guid("{4EE2FB40-0024-11D4-90E4-00C04F37AA48}");

// The key with which the session context hands out the media data object: two fixed pieces of
// four and six characters, put together at run time.
inline constexpr char16_t kDataObjectKeyHead[] = u"KWMD";
inline constexpr char16_t kDataObjectKeyTail[] = u"ATAOBJ";
// The application key the stand-alone API is initialised with.
inline constexpr char16_t kStandaloneApplicationKey[] = u"PATHMENDER";

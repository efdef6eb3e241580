// The page of the plug-in: one document class, its procedures split over this folder by concern
// (page and start-up, drive list, validation, update run, path search).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "com/comptr.h"
#include "com/object.h"
#include "com/variant.h"
#include "contracts/host_services.h"
#include "document/share_index.h"
#include "contracts/plugin_interfaces.h"
#include "platform/file_system.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/ole_control.h"
#include "platform/wsh_network.h"
#include "resources/module_type_info.h"

class udPathmender final : public ComObject<udPathmender, _udPathmender, _iCallBack> {
public:
    // Creates the page's controls from its layout; the container then sends Initialize.
    udPathmender();
    ~udPathmender() override;

    // _udPathmender
    HRESULT STDMETHODCALLTYPE Init(ISessionContext** SessionContext) override;
    HRESULT STDMETHODCALLTYPE Closedown() override;
    // iCallBack: the update run, with the progress window's container.
    HRESULT STDMETHODCALLTYPE Process(IDispatch** oOle) override;
    // Late binding to both interfaces, through the module's type library.
    ITypeInfo* type_info(REFIID iid) { return module_type_info(iid); }

    // Document notifications, from the document container.
    void UserDocument_Initialize();
    void UserDocument_Resize();

    // The page's form, which the document container shows; its controls are found by name.
    forms::Form& page() { return *page_; }

private:
    // Page and start-up.
    void StartUp();
    void OpenStandaloneSession();
    LONG ShowMessage(const std::u16string& text, LONG style);

    // Mapped drive list.
    ComPtr<IWshCollection> GetNetworkDrives();
    void FillMappedDrives();

    // Validation and start of an update.
    void cmdUpdate_Click();
    bool ValidateInput();
    LONG CountMediaRecords();

    // Update run.
    void ProcessMediaTables();
    ComPtr<IHostRecordset> OpenMediaRecords(const Variant& tableName);
    void UpdateMediaLink(std::u16string& newPath, LONG& mediaId, Variant tableName);
    LONG WriteBackKey(const Variant& mediaId, const Variant& tableName);
    ComPtr<IHostDataObject> GetDataObject();

    // Path remapping and file search.
    std::u16string FindLinkedFile(std::u16string linkPath, std::u16string previousServer,
                                  std::u16string searchRoot, bool exactOnly);
    std::u16string SearchFolder(const ComPtr<IFolder>& folder, const std::u16string& fileName);
    ComPtr<IHostFileServices> GetFileServices();
    ComPtr<IFileSystem> GetFileSystem();

    // State, as the page keeps it.
    ComPtr<ISessionContext> SessionContext;
    ComPtr<IKWOpen> StandaloneApi;
    ComPtr<IWshCollection> NetworkDrives;
    ComPtr<IHostDataObject> DataObject;
    ComPtr<IHostFileServices> FileServices;
    ComPtr<IFileSystem> FileSystem;
    ComPtr<IOleContainerControl> OleContainer;
    std::vector<Variant> TableList;
    LONG UpdatedCount = 0;
    LONG NotFoundCount = 0;
    // The shares searched in an update run, each walked once and then looked up; emptied at the
    // start and the end of every run, never kept between runs.
    ShareIndexes SearchIndexes;

    // Controls, owned by the page's form.
    forms::ElasticContainer* VXElastic1;
    forms::Image* Image1;
    forms::Frame* Frame1;
    forms::Label* lblHeader;
    forms::Label* lblPrevious[2];
    forms::TextBox* txtPrevious;
    forms::ComboBox* cboMapped;
    forms::CheckBox* chkExactMatch;
    forms::CheckBox* chkUpdatedQuery;
    forms::CheckBox* chkExceptionQuery;
    forms::CommandButton* cmdUpdate;

    std::unique_ptr<forms::Form> page_;
};

// Message-box styles the page uses.
inline constexpr LONG vbOKOnly = 0;
inline constexpr LONG vbExclamation = 48;
inline constexpr LONG vbInformation = 64;

#include "hostapp/shell/plugin_loader.h"

#include "com/class_factory.h"
#include "com/error.h"
#include "com/registry.h"
#include "com/utf.h"
#include "contracts/document_view.h"

namespace {

std::u16string read_text(HRESULT (STDMETHODCALLTYPE IVXHeaderInfo::*member)(BSTR*), IVXHeaderInfo* info) {
    Bstr text;
    check((info->*member)(text.put()), info);
    return text.str();
}

}  // namespace

const ComPtr<IVXHostedPlugin>& LoadedPlugin::open_plugin() const {
    if (!plugin_) raise_error(RuntimeError::ObjectVariableNotSet, u"The plug-in has been closed down");
    return plugin_;
}

std::unique_ptr<LoadedPlugin> LoadedPlugin::load(std::u16string_view prog_id, ComPtr<IHostApplication> application) {
    InstallRegistryClassResolver();
    CLSID clsid{};
    std::u16string name(prog_id);
    check(CLSIDFromProgID(olechars(name), &clsid));
    // Held by the host for as long as the plug-in is, so that its code stays mapped.
    std::shared_ptr<ServerModule> module = load_server_module(clsid);
    ComPtr<IVXHostedPlugin> plugin = create_instance<IVXHostedPlugin>(clsid);
    std::unique_ptr<LoadedPlugin> loaded(new LoadedPlugin(std::move(module), std::move(plugin)));
    check(loaded->plugin_->OnInit(application.get()), loaded->plugin_.get());
    return loaded;
}

LoadedPlugin::~LoadedPlugin() {
    try {
        close();
    } catch (...) {
        release();  // a failing OnClosedown must not keep the module loaded for ever
    }
}

PluginHeader LoadedPlugin::header() const {
    ComPtr<IVXHeaderInfo> info = open_plugin().query<IVXHeaderInfo>(RuntimeError::InterfaceNotSupported);
    PluginHeader header;
    header.caption = read_text(&IVXHeaderInfo::get_Caption, info.get());
    header.name = read_text(&IVXHeaderInfo::get_Name, info.get());
    header.description = read_text(&IVXHeaderInfo::get_Description, info.get());
    header.image = read_text(&IVXHeaderInfo::get_Image, info.get());
    header.group = read_text(&IVXHeaderInfo::get_Group, info.get());
    header.url = url();
    Bstr prog_id;
    check(plugin_->get_ProgID(prog_id.put()), plugin_.get());
    header.prog_id = prog_id.str();
    return header;
}

std::u16string LoadedPlugin::url() const {
    Bstr url;
    IVXHostedPlugin* plugin = open_plugin().get();
    check(plugin->get_URL(url.put()), plugin);
    return url.str();
}

void LoadedPlugin::open_page() {
    auto document = open_document(utf8(url()));
    IVXHostedPlugin* plugin = open_plugin().get();
    check(plugin->OnLoad(document->document().get()), plugin);
    page_ = std::move(document);
}

const OpenDocument& LoadedPlugin::page_document() const {
    if (!page_) raise_error(RuntimeError::ObjectVariableNotSet, u"The plug-in's page is not open");
    return *page_;
}

ComPtr<IDispatch> LoadedPlugin::page_object() const { return page_document().document(); }

ComPtr<_udPathmender> LoadedPlugin::page() const {
    return page_document().document().query<_udPathmender>();
}

forms::Form& LoadedPlugin::page_form() const { return page_document().form(); }

bool LoadedPlugin::query_unload(bool shell_is_unloading) const {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IVXHostedPlugin* plugin = open_plugin().get();
    check(plugin->OnQueryUnload(&cancel, shell_is_unloading ? VARIANT_TRUE : VARIANT_FALSE), plugin);
    return cancel == VARIANT_FALSE;
}

void LoadedPlugin::close() {
    if (closed_) return;
    closed_ = true;
    HRESULT hr = plugin_->OnClosedown();
    ErrorRecord failure;
    bool has_record = FAILED(hr) && GetErrorRecord(hr, plugin_.get(), uuidof<IVXHostedPlugin>(), &failure);
    release();
    if (FAILED(hr)) {
        if (has_record) raise_error(failure.number, failure.description, failure.source);
        std::int32_t number = error_number_from_hresult(hr);
        raise_error(number, standard_error_text(number));
    }
}

void LoadedPlugin::release() {
    closed_ = true;
    page_.reset();
    plugin_.reset();
    module_.reset();
    CoFreeUnusedLibraries();
}

std::span<const unsigned char> module_resource(const ServerModule& module, const char* type, const char* name) {
    auto find = reinterpret_cast<DllFindResourceFn>(module.symbol(kDllFindResource));
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (!find || FAILED(find(type, name, &data, &size))) return {};
    return {data, size};
}

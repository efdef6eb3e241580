// The host's side of a plug-in: creates its registration object by ProgID through the registry
// and drives it through its lifecycle: OnInit with the host application, the header members, the
// page opened from URL and handed to OnLoad, OnQueryUnload, OnClosedown, release, and unloading
// the module once it says it can go.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "com/comptr.h"
#include "com/module_loader.h"
#include "contracts/host_services.h"
#include "contracts/plugin_interfaces.h"
#include "hostapp/shell/document_container.h"

struct PluginHeader {
    std::u16string caption, name, description, image, group, url, prog_id;
};

class LoadedPlugin {
public:
    // Creates the registration object of prog_id (raising "Class not registered" and the like) and
    // calls OnInit with application.
    static std::unique_ptr<LoadedPlugin> load(std::u16string_view prog_id, ComPtr<IHostApplication> application);
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;
    // Closes the plug-in down if close() was not called; errors are dropped there.
    ~LoadedPlugin();

    PluginHeader header() const;
    std::u16string url() const;
    const std::filesystem::path& module_path() const { return module_->path(); }
    const std::shared_ptr<ServerModule>& module() const { return module_; }
    const ComPtr<IVXHostedPlugin>& plugin() const { return plugin_; }

    // Opens the page file that URL names and hands the page to OnLoad.
    void open_page();
    bool page_open() const { return page_ != nullptr; }
    // The page's object and its form; open_page must have run.
    ComPtr<IDispatch> page_object() const;
    ComPtr<_udPathmender> page() const;
    forms::Form& page_form() const;
    const OpenDocument& page_document() const;

    // OnQueryUnload: true when the plug-in lets the host unload it.
    bool query_unload(bool shell_is_unloading) const;
    // OnClosedown, then every reference is released and idle modules are unloaded. A failing
    // OnClosedown is raised, after the releasing.
    void close();

private:
    LoadedPlugin(std::shared_ptr<ServerModule> module, ComPtr<IVXHostedPlugin> plugin)
        : module_(std::move(module)), plugin_(std::move(plugin)) {}
    void release();
    const ComPtr<IVXHostedPlugin>& open_plugin() const;

    std::shared_ptr<ServerModule> module_;  // declared first: released last
    ComPtr<IVXHostedPlugin> plugin_;
    std::unique_ptr<OpenDocument> page_;
    bool closed_ = false;
};

// One of a loaded module's compiled-in resources, found through its DllFindResource export as
// the platform's resource functions find them; empty when it has none of that type and name.
std::span<const unsigned char> module_resource(const ServerModule& module, const char* type, const char* name);

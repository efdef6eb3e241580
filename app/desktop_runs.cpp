#include "app/desktop_runs.h"

#include "app/page_script.h"
#include "platform/forms/controls.h"

DesktopRuns::DesktopRuns(const std::filesystem::path& journal, const std::filesystem::path& database)
    : database_(database), journal_(journal, database) {}

DesktopRuns::~DesktopRuns() {
    if (account_) end_run({});
}

void DesktopRuns::watch(const forms::Form& page, forms::WindowSystem& shown_on) {
    page_ = &page;
    shown_on_ = &shown_on;
}

void DesktopRuns::table_chosen(std::u16string_view table) {
    if (!account_ && page_) {
        // A walk begins: what the page shows now is what this press of Update runs with.
        const auto* drives = page_->get<forms::ComboBox>("cboMapped");
        const int picked = drives->ListIndex();
        const std::u16string previous = page_->get<forms::TextBox>("txtPrevious")->Text();
        journal_.begin({DatabaseLocation::of_file(database_).identity(), previous,
                        picked < 0 ? std::u16string() : entry_local_name(drives->List(picked)),
                        page_->get<forms::CheckBox>("chkExactMatch")->Value == 1});
        account_.emplace(previous);
    }
    if (account_) account_->table_chosen(table);
}

void DesktopRuns::record_read(const MediaRecordSeen& record) {
    if (account_) account_->record_read(record);
}

void DesktopRuns::table_walked(std::u16string_view table) {
    if (account_) account_->table_walked(table);
}

void DesktopRuns::written_back(std::u16string_view table, std::u16string_view media_id,
                               std::span<const std::uint8_t> written) {
    if (account_) account_->written_back(table, media_id, written);
}

void DesktopRuns::folder_not_listed(const std::filesystem::path& folder, std::u16string_view description) {
    if (account_) account_->folder_not_listed(folder, description);
}

int DesktopRuns::message_box(std::u16string_view prompt, int style, std::u16string_view caption) {
    if (account_) end_run({{std::u16string(prompt), style}});
    return shown_on_->message_box(prompt, style, caption);
}

void DesktopRuns::end_run(const std::vector<PageMessage>& messages) {
    if (run_completed(messages)) account_->completed();
    journal_.end(account_->counts(), update_end(messages), messages);
    account_.reset();
}

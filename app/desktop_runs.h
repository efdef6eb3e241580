// The runs of the page in a desktop window, journaled as update journals its one: each press of
// Update is a run of its own, entered when its walk over the media tables begins, with what the
// page shows then (the previous server typed, the drive picked, the search mode), every write-back
// journaled before it commits, and closed with the host's counts and how the page's message said
// it ended. The journal is held while the window is open: one run at a time on a database.
#pragma once

#include <filesystem>
#include <optional>

#include "app/run_account.h"
#include "app/run_journal.h"
#include "hostapp/db/host_hooks.h"
#include "platform/forms/window_system.h"

class DesktopRuns final : public RunWatcher, public forms::WindowSystem {
public:
    // Raises as RunJournal does.
    DesktopRuns(const std::filesystem::path& journal, const std::filesystem::path& database);
    // A run still open when the window goes ends as stopped.
    ~DesktopRuns() override;

    // The host's hooks for the page's runs.
    HostHooks hooks() { return {this, journal_.write_backs(), WriteBacks::commit, nullptr}; }
    // The page whose controls say what each run is, and the window system its messages are shown
    // on (this one stands in front of it while the window is open).
    void watch(const forms::Form& page, forms::WindowSystem& shown_on);

    void table_chosen(std::u16string_view table) override;
    void record_read(const MediaRecordSeen& record) override;
    void table_walked(std::u16string_view table) override;
    void written_back(std::u16string_view table, std::u16string_view media_id,
                      std::span<const std::uint8_t> written) override;
    void folder_not_listed(const std::filesystem::path& folder, std::u16string_view description) override;

    // A message while a run is open is the page saying how it ended.
    int message_box(std::u16string_view prompt, int style, std::u16string_view caption) override;
    void show_modal(forms::Form& form) override { shown_on_->show_modal(form); }
    void unload(forms::Form& form) override { shown_on_->unload(form); }
    void refresh(forms::Form& form) override { shown_on_->refresh(form); }
    void let_paint_through() override { shown_on_->let_paint_through(); }
    int screen_width() override { return shown_on_->screen_width(); }
    int screen_height() override { return shown_on_->screen_height(); }

private:
    void end_run(const std::vector<PageMessage>& messages);

    std::filesystem::path database_;
    RunJournal journal_;
    const forms::Form* page_ = nullptr;
    forms::WindowSystem* shown_on_ = nullptr;
    std::optional<RunAccount> account_;  // of the run open
};

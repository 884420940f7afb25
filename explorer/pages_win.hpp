// The tabs that exist so far, made for the sheet in its page order.
#pragma once
#include <memory>

#include "explorer/sheet_win.hpp"

namespace kestrom::explorer {

std::unique_ptr<SheetPage> make_startup_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_options_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_scheduled_tasks_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_hidden_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_cookies_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_services_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_active_tasks_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_delayed_start_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_file_types_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_ie_helpers_page(App& app, SheetContext& sheet);
std::unique_ptr<SheetPage> make_activex_page(App& app, SheetContext& sheet);

}  // namespace kestrom::explorer

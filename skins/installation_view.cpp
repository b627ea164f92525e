#include "skins/installation_view.h"

#include <utility>

#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_properties.h"
#include "skins/skin_window.h"

namespace lq {

SkinWindowInstallationView::SkinWindowInstallationView(const InstallationEnvironment& env,
                                                       std::shared_ptr<SkinWindowState> state,
                                                       int slot, std::string package_url)
    : post_to_gui_(env.post_to_gui),
      show_message_(env.show_message),
      close_skin_window_(env.close_skin_window),
      state_(std::move(state)),
      slot_(slot),
      opening_(state_->opening.load()),
      package_url_(std::move(package_url)) {}

SkinWindowInstallationView::~SkinWindowInstallationView() {
  post_to_gui_([state = state_, package_url = std::move(package_url_)] {
    state->installing.erase(package_url);
    state->RefreshLoadButtons();
  });
}

void SkinWindowInstallationView::SetCaption(std::string_view gbk_caption) {
  post_to_gui_([state = state_, slot = slot_, opening = opening_, caption = Text(gbk_caption)] {
    if (state->IsCurrentOpening(opening)) {
      WriteTextProperty(kSkinWindowId, LoadButtonOfSlot(slot), kButtonCaption, caption);
    }
  });
}

void SkinWindowInstallationView::ShowMessage(std::string_view gbk_message) {
  if (show_message_) {
    show_message_(gbk_message);
  }
}

void SkinWindowInstallationView::CloseWindow() {
  post_to_gui_([state = state_, opening = opening_, close = close_skin_window_] {
    if (state->IsCurrentOpening(opening) && close) {
      close();
    }
  });
}

}  // namespace lq

// What the program's main job (showing a champion's skins and loading one) works with, built once
// at start-up and handed to whatever runs a load: the Game folder, the download host, the game
// directory, the GUI thread, worker threads and message boxes. A test builds its own.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "runtime/commands/values.h"
#include "runtime/system/http_transfer.h"
#include "skins/game_folder.h"
#include "skins/preview_cache.h"

namespace lq {

class InstallationView;
class PackageStore;
struct InstallationInputs;

struct InstallationEnvironment {
  // Opens a Game folder; nothing when no folder can be opened.
  GameFolderOpener open_folder;
  // A package: a GET of the URL with the conditions' headers, streamed into the sink, within the
  // package bounds. Each call is one try, with its own stall rule.
  std::function<TransferEnd(const Text& url, const RequestConditions& conditions, BodySink& sink)>
      download;
  // What the user's own folder remembers of the packages written; none: every load downloads.
  std::shared_ptr<PackageStore> packages;
  // Where the skin window's previews come from: the host and the copies kept from before.
  PreviewSource fetch_preview;
  // The game directory published now; null or empty while none is known.
  std::function<std::shared_ptr<const Text>()> game_directory;
  // Runs a job on the GUI thread, later; returns at once.
  std::function<void(std::function<void()> job)> post_to_gui;
  // Runs a job on a new thread and returns at once; false when no thread could be started.
  std::function<bool(std::function<void()> job)> start_thread;
  // A message box without owner; returns when the user has dismissed it.
  std::function<void(std::string_view gbk_message)> show_message;
  // Posts the close of the skin window (called on the GUI thread, for a loaded window).
  std::function<void()> close_skin_window;
  // Runs RunInstallation(inputs, view) in this environment on a new thread and returns at once.
  // The view is the thread's own and is destroyed when the installation has ended (or could not
  // start).
  std::function<void(InstallationInputs inputs, std::unique_ptr<InstallationView> view)>
      start_installation;
};

// The program's own environment: the real Game folder, the download host over the shared
// session with the transfers' bounds, the GUI queue, worker threads and owner-less message boxes;
// the game directory is the shell's to give. Windows only.
InstallationEnvironment SystemInstallationEnvironment();

}  // namespace lq

#include "app/game_directory.h"

#include <mutex>
#include <utility>

#include "runtime/commands/text_commands.h"
#include "runtime/commands/text_search.h"

namespace lq {
namespace {

struct PublishedDirectory {
  std::mutex mutex;
  std::shared_ptr<const Text> value = std::make_shared<const Text>();
};

PublishedDirectory& Published() {
  static PublishedDirectory published;
  return published;
}

}  // namespace

std::optional<Text> DeriveGameDirectory(const Text& path) {
  const std::int32_t at = FindText(path, kGameFolderMarker, std::nullopt, false);
  if (at == -1) return std::nullopt;
  return ReplaceRange(path, at, kReplacedTailLength, kGameSubdirSuffix);
}

std::shared_ptr<const Text> GameDirectory() {
  PublishedDirectory& p = Published();
  std::lock_guard lock(p.mutex);
  return p.value;
}

void PublishGameDirectory(Text directory) {
  auto next = std::make_shared<const Text>(std::move(directory));
  PublishedDirectory& p = Published();
  std::shared_ptr<const Text> previous;
  {
    std::lock_guard lock(p.mutex);
    previous = std::exchange(p.value, std::move(next));
  }
  // `previous` goes here, outside the lock, or later with its last reader.
}

}  // namespace lq

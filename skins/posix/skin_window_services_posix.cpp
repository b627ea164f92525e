// Outside Windows (the native test build) the skin window has no services of its own: tests
// install theirs.
#include "skins/skin_window_actions.h"

namespace lq {

SkinWindowServices* SystemSkinWindowServices() { return nullptr; }

}  // namespace lq

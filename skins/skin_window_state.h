// What the skin window's handlers, its preview fetchers and its installations share: which
// opening of the window is the current one, and which packages are being installed.
#pragma once

#include <atomic>
#include <cstdint>
#include <set>
#include <string>

#include "runtime/forms/unit_id.h"

namespace lq {

struct SkinWindowState {
  // Advanced by each created event on the GUI thread; read by workers to drop work for an
  // opening that is over.
  std::atomic<std::uint64_t> opening{0};
  // The packages whose installation runs, by URL. GUI thread only.
  std::set<std::string> installing;

  // Whether `of` is the skin window that is loaded now. GUI thread.
  bool IsCurrentOpening(std::uint64_t of) const;
  // Disables the load buttons whose slot's package is being installed and enables the others,
  // in the window loaded now. GUI thread.
  void RefreshLoadButtons() const;
};

// The load button and the picture box of a slot (1 to 3).
UnitId LoadButtonOfSlot(int slot);
UnitId PreviewBoxOfSlot(int slot);

}  // namespace lq

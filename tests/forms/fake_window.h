// A loaded window without a windowing system: it stores what is written and records the writes.
#pragma once

#include <utility>
#include <vector>

#include "runtime/forms/forms_registry.h"

namespace lq::test {

class FakeLoadedWindow final : public LoadedWindow {
 public:
  explicit FakeLoadedWindow(WindowRecord& record) : record_(record), model_(record.stored) {
    record_.loaded = this;
  }
  ~FakeLoadedWindow() { record_.loaded = nullptr; }
  FakeLoadedWindow(const FakeLoadedWindow&) = delete;
  FakeLoadedWindow& operator=(const FakeLoadedWindow&) = delete;

  WindowModel& Model() override { return model_; }
  PropertyValue ReadProperty(UnitState& unit, int index) override { return unit.Get(index); }
  void WriteProperty(UnitState& unit, int index, const PropertyValue& value) override {
    writes.emplace_back(unit.id(), index);
    unit.Set(index, value);
  }

  std::vector<std::pair<UnitId, int>> writes;

 private:
  WindowRecord& record_;
  WindowModel model_;
};

}  // namespace lq::test

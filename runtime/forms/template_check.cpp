#include "runtime/forms/template_check.h"

#include <cstdio>
#include <set>
#include <string_view>
#include <unordered_map>

namespace lq {
namespace {

std::string Hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08x", v);
  return buf;
}

bool CoordinateOk(std::int32_t v) { return v >= kMinCoordinate && v <= kMaxCoordinate; }
bool ExtentOk(std::int32_t v) { return v >= 0 && v <= kMaxCoordinate; }

std::string CheckGeometry(const Geometry& g) {
  if (!CoordinateOk(g.left) || !CoordinateOk(g.top)) return "position out of range";
  if (!ExtentOk(g.width) || !ExtentOk(g.height)) return "size out of range";
  return {};
}

bool FormFits(PropertyType type, const PropertyInit& init) {
  switch (type) {
    case PropertyType::kInteger:
    case PropertyType::kLogical:
    case PropertyType::kPick:
    case PropertyType::kColour:
      return init.form == PropertyInit::Form::kNumber;
    case PropertyType::kText:
      return init.form == PropertyInit::Form::kText;
    case PropertyType::kByteSet:
      return init.form == PropertyInit::Form::kBytes || init.form == PropertyInit::Form::kText;
    case PropertyType::kFont:
      return init.form == PropertyInit::Form::kFont && init.font != nullptr;
  }
  return false;
}

std::string CheckProperties(UnitKind kind, std::span<const PropertyInit> inits) {
  for (const PropertyInit& init : inits) {
    const PropertyInfo* info = FindProperty(kind, init.index);
    if (!info || IsCommonProperty(kind, init.index)) {
      return "property " + std::to_string(init.index) + " is not one of the kind's own";
    }
    if (!FormFits(info->type, init)) {
      return "property " + std::to_string(init.index) + " has a value of the wrong type";
    }
  }
  return {};
}

std::string CheckBindings(std::span<const EventBinding> bindings) {
  for (const EventBinding& b : bindings) {
    if (b.event < 0) return "negative event number";
  }
  return {};
}

class Checker {
 public:
  std::string Window(const WindowTemplate& w) {
    const std::string where = "window " + Hex(w.window_id);
    if (!window_ids_.insert(w.window_id).second) return where + ": window id used twice";
    if (w.kind != UnitKind::kWindow) return where + ": own unit is not of the window kind";
    if (std::string p = Unit(w.id, UnitRole::kWindow); !p.empty()) return where + ": " + p;
    if (std::string p = CheckGeometry(w.geometry); !p.empty()) return where + ": " + p;
    if (std::string p = CheckProperties(w.kind, w.Properties()); !p.empty())
      return where + ": " + p;
    if (std::string p = CheckBindings(w.Bindings()); !p.empty()) return where + ": " + p;

    std::set<std::string_view> names;
    std::unordered_map<UnitId, const ControlTemplate*> earlier;
    for (const ControlTemplate& c : w.controls) {
      const std::string at = where + ", unit " + Hex(c.id) + ": ";
      if (!IsControlKind(c.kind)) return at + "not a control kind";
      if (std::string p = Unit(c.id, UnitRole::kControl); !p.empty()) return at + p;
      if (c.name.empty() || !names.insert(c.name).second) return at + "name empty or used twice";
      if (std::string p = CheckGeometry(c.geometry); !p.empty()) return at + p;
      if (std::string p = CheckProperties(c.kind, c.Properties()); !p.empty()) return at + p;
      if (std::string p = CheckBindings(c.Bindings()); !p.empty()) return at + p;
      if (c.kind == UnitKind::kTab && c.pages.empty()) return at + "a tab needs at least one page";
      if (c.kind != UnitKind::kTab && !c.pages.empty()) return at + "only a tab has pages";
      if (c.parent == 0) {
        if (c.page != 0) return at + "a page without a tab";
      } else {
        auto parent = earlier.find(c.parent);
        if (parent == earlier.end()) return at + "parent missing or listed after the control";
        const ControlTemplate& p = *parent->second;
        if (!IsContainerKind(p.kind)) return at + "parent is neither a group box nor a tab";
        if (p.kind == UnitKind::kTab &&
            (c.page < 0 || static_cast<std::size_t>(c.page) >= p.pages.size())) {
          return at + "page out of range";
        }
        if (p.kind == UnitKind::kGroupBox && c.page != 0) return at + "a page inside a group box";
      }
      earlier.emplace(c.id, &c);
    }

    bool first = true;
    for (const MenuItemTemplate& m : w.menu) {
      const std::string at = where + ", menu item " + Hex(m.id) + ": ";
      if (std::string p = Unit(m.id, UnitRole::kMenuItem); !p.empty()) return at + p;
      if (m.name.empty() || !names.insert(m.name).second) return at + "name empty or used twice";
      if (m.level != 0 && m.level != 1) return at + "level must be 0 or 1";
      if (first && m.level != 0) return at + "the first menu item must have level 0";
      first = false;
    }
    return {};
  }

 private:
  std::string Unit(UnitId id, UnitRole role) {
    if (!IsWellFormedUnitId(id) || RoleOf(id) != role) return "malformed unit id";
    if (!unit_ids_.insert(id).second) return "unit id used twice";
    return {};
  }

  std::set<WindowId> window_ids_;
  std::set<UnitId> unit_ids_;
};

}  // namespace

std::string FindTemplateProblem(std::span<const WindowTemplate> windows) {
  Checker checker;
  for (const WindowTemplate& w : windows) {
    if (std::string problem = checker.Window(w); !problem.empty()) return problem;
  }
  return {};
}

}  // namespace lq

// The state of one window's units: every property value by index, built from the template.
//
// The runtime keeps one WindowModel per window for what the next load will use (the template with
// the common properties written while the window was not loaded) and one per loaded window.
#pragma once

#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/forms/property_value.h"
#include "runtime/forms/window_template.h"

namespace lq {

class UnitState {
 public:
  UnitState(const WindowTemplate& window);      // the window's own unit
  UnitState(const ControlTemplate& control);    // a control
  UnitState(const MenuItemTemplate& menuItem);  // a menu item

  UnitId id() const { return id_; }
  UnitKind kind() const { return kind_; }
  std::string_view name() const { return name_; }
  // Controls: the parent unit (0 = the window) and the page on a tab.
  UnitId parent() const { return control_ ? control_->parent : 0; }
  std::int32_t page() const { return control_ ? control_->page : 0; }
  std::int32_t tab_order() const { return tab_order_; }
  bool takes_focus() const { return takes_focus_; }
  // Tabs: page captions.
  std::span<const std::string_view> pages() const;
  // Menu items: level and handler.
  std::int32_t level() const { return menu_item_ ? menu_item_->level : 0; }
  Handler menu_handler() const { return menu_item_ ? menu_item_->handler : Handler(); }
  std::span<const EventBinding> bindings() const;

  // Property values by index; an index the kind does not have reads as the integer 0 and is
  // never written.
  const PropertyValue& Get(int index) const;
  void Set(int index, PropertyValue value);
  std::int32_t Integer(int index) const { return Get(index).Integer(); }
  bool Logical(int index) const { return Get(index).Logical(); }
  std::uint32_t Colour(int index) const { return Get(index).ColourValue(); }
  const Text& TextAt(int index) const { return Get(index).AsText(); }
  const ByteSet& BytesAt(int index) const { return Get(index).AsBytes(); }
  const FontSpec& FontAt(int index) const { return Get(index).AsFont(); }

  // Common properties (window and controls).
  Geometry geometry() const {
    return {Integer(kPropLeft), Integer(kPropTop), Integer(kPropWidth), Integer(kPropHeight)};
  }
  bool visible() const {
    return kind_ == UnitKind::kMenuItem ? Logical(kMenuVisible) : Logical(kPropVisible);
  }
  bool disabled() const {
    return kind_ == UnitKind::kMenuItem ? Logical(kMenuDisabled) : Logical(kPropDisabled);
  }

 private:
  void Defaults();
  void Apply(std::span<const PropertyInit> inits);
  void Common(const Geometry& g, std::uint32_t flags, std::string_view tag,
              std::string_view pointer);

  UnitId id_ = 0;
  UnitKind kind_;
  std::string_view name_;
  std::int32_t tab_order_ = 0;
  bool takes_focus_ = false;
  const WindowTemplate* window_ = nullptr;
  const ControlTemplate* control_ = nullptr;
  const MenuItemTemplate* menu_item_ = nullptr;
  std::vector<PropertyValue> values_;
};

class WindowModel {
 public:
  explicit WindowModel(const WindowTemplate& tmpl);

  const WindowTemplate& Template() const { return *tmpl_; }
  WindowId id() const { return tmpl_->window_id; }

  // kOwnUnit and the window's own unit id name the window unit; nullptr when there is no such unit.
  UnitState* Find(UnitId id);
  const UnitState* Find(UnitId id) const;
  UnitState& WindowUnit() { return units_[0]; }
  const UnitState& WindowUnit() const { return units_[0]; }
  // Controls in template order, then menu items in template order.
  std::span<UnitState> Controls() { return {units_.data() + 1, first_menu_ - 1}; }
  std::span<const UnitState> Controls() const { return {units_.data() + 1, first_menu_ - 1}; }
  std::span<UnitState> MenuItems() {
    return {units_.data() + first_menu_, units_.size() - first_menu_};
  }
  std::span<const UnitState> MenuItems() const {
    return {units_.data() + first_menu_, units_.size() - first_menu_};
  }

 private:
  const WindowTemplate* tmpl_;
  std::vector<UnitState> units_;
  std::size_t first_menu_ = 1;
  std::unordered_map<UnitId, std::size_t> index_;
};

}  // namespace lq

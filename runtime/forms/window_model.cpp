#include "runtime/forms/window_model.h"

namespace lq {

PropertyValue PropertyInit::Value() const {
  switch (form) {
    case Form::kNumber:
      return PropertyValue(static_cast<std::int32_t>(static_cast<std::uint32_t>(number)));
    case Form::kText:
      return PropertyValue(Text(bytes));
    case Form::kBytes:
      return PropertyValue(ByteSet::FromString(bytes));
    case Form::kFont:
      return font ? PropertyValue(*font) : PropertyValue(FontSpec());
  }
  return {};
}

UnitState::UnitState(const WindowTemplate& window)
    : id_(window.id),
      kind_(UnitKind::kWindow),
      name_(window.name),
      tab_order_(window.tab_order),
      takes_focus_((window.flags & kUnitTakesFocus) != 0),
      window_(&window) {
  Defaults();
  Common(window.geometry, window.flags, window.tag, window.mouse_pointer);
  Apply(window.Properties());
}

UnitState::UnitState(const ControlTemplate& control)
    : id_(control.id),
      kind_(control.kind),
      name_(control.name),
      tab_order_(control.tab_order),
      takes_focus_((control.flags & kUnitTakesFocus) != 0),
      control_(&control) {
  Defaults();
  Common(control.geometry, control.flags, control.tag, control.mouse_pointer);
  Apply(control.Properties());
}

UnitState::UnitState(const MenuItemTemplate& item)
    : id_(item.id), kind_(UnitKind::kMenuItem), name_(item.name), menu_item_(&item) {
  Defaults();
  values_[kMenuCaption] = PropertyValue(Text(item.caption));
  values_[kMenuChecked] = PropertyValue((item.flags & kMenuItemChecked) != 0);
  values_[kMenuDisabled] = PropertyValue((item.flags & kMenuItemDisabled) != 0);
  values_[kMenuVisible] = PropertyValue((item.flags & kMenuItemHidden) == 0);
}

void UnitState::Defaults() {
  const auto table = PropertyTable(kind_);
  values_.reserve(table.size());
  for (const PropertyInfo& info : table) values_.push_back(DefaultValue(info));
}

void UnitState::Common(const Geometry& g, std::uint32_t flags, std::string_view tag,
                       std::string_view pointer) {
  values_[kPropLeft] = PropertyValue(g.left);
  values_[kPropTop] = PropertyValue(g.top);
  values_[kPropWidth] = PropertyValue(g.width);
  values_[kPropHeight] = PropertyValue(g.height);
  values_[kPropTag] = PropertyValue(Text(tag));
  values_[kPropVisible] = PropertyValue((flags & kUnitVisible) != 0);
  values_[kPropDisabled] = PropertyValue((flags & kUnitDisabled) != 0);
  values_[kPropMousePointer] = PropertyValue(ByteSet::FromString(pointer));
}

void UnitState::Apply(std::span<const PropertyInit> inits) {
  for (const PropertyInit& init : inits) {
    const PropertyInfo* info = FindProperty(kind_, init.index);
    if (!info) continue;
    if (auto v = NormalizeValue(kind_, *info, init.Value()))
      values_[static_cast<std::size_t>(init.index)] = *v;
  }
}

std::span<const std::string_view> UnitState::pages() const {
  return control_ ? control_->pages : std::span<const std::string_view>();
}

std::span<const EventBinding> UnitState::bindings() const {
  if (window_) return window_->Bindings();
  if (control_) return control_->Bindings();
  return {};
}

const PropertyValue& UnitState::Get(int index) const {
  static const PropertyValue kNone;
  if (index < 0 || static_cast<std::size_t>(index) >= values_.size()) return kNone;
  return values_[static_cast<std::size_t>(index)];
}

void UnitState::Set(int index, PropertyValue value) {
  if (index < 0 || static_cast<std::size_t>(index) >= values_.size()) return;
  values_[static_cast<std::size_t>(index)] = std::move(value);
}

WindowModel::WindowModel(const WindowTemplate& tmpl) : tmpl_(&tmpl) {
  units_.reserve(1 + tmpl.controls.size() + tmpl.menu.size());
  units_.emplace_back(tmpl);
  for (const ControlTemplate& c : tmpl.controls) units_.emplace_back(c);
  first_menu_ = units_.size();
  for (const MenuItemTemplate& m : tmpl.menu) units_.emplace_back(m);
  index_.reserve(units_.size());
  for (std::size_t i = 0; i < units_.size(); ++i) index_.emplace(units_[i].id(), i);
}

UnitState* WindowModel::Find(UnitId id) {
  if (id == kOwnUnit) return &units_[0];
  auto it = index_.find(id);
  return it == index_.end() ? nullptr : &units_[it->second];
}

const UnitState* WindowModel::Find(UnitId id) const {
  return const_cast<WindowModel*>(this)->Find(id);
}

}  // namespace lq

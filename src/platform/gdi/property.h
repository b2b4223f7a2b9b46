// The property setters of the font and bitmap objects: setting the value a property already
// holds changes nothing, so no realised font or bitmap is freed or made again.
#pragma once

namespace gdi {

// Stores value in field; true when that changed the field.
template <class Value>
bool AssignChanged(Value& field, const Value& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace gdi

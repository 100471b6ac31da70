// common::ICloneable: the base of objects handed out as copies of a prototype (the scene
// graph's node operations). Clone returns a new object that the caller owns.
#pragma once

namespace common {

class ICloneable {
public:
    virtual ~ICloneable() = default;
    virtual ICloneable* Clone() const = 0;
};

} // namespace common

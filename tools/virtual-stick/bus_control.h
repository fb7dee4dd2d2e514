#pragma once
// Putting the stick on the USB bus and taking it off, as the host sees it: a disconnect, and a
// new device arriving. The gadget's UDC binding does it in the guest.

#include <string>

namespace vstick {

class BusControl {
  public:
    virtual ~BusControl() = default;
    // False, with `error` set, when the kernel refused.
    virtual bool leave(std::string& error) = 0;
    virtual bool enter(std::string& error) = 0;
};

} // namespace vstick

#pragma once
// The stick's USB gadget in configfs: one configuration with one FunctionFS function, mounted so
// that the program can serve it, and bound to a UDC while the stick is on the bus. Linux only,
// run as root.

#include "bus_control.h"

#include <string>

namespace vstick {

struct GadgetSettings {
    std::string name = "lm704";
    std::string udc = "dummy_udc.0";
    std::string configfs = "/sys/kernel/config";
    std::string functionFsMount; // empty: /dev/ffs-<name>
};

class ConfigfsGadget : public BusControl {
  public:
    explicit ConfigfsGadget(GadgetSettings settings);
    ~ConfigfsGadget() override;
    ConfigfsGadget(const ConfigfsGadget&) = delete;
    ConfigfsGadget& operator=(const ConfigfsGadget&) = delete;

    // The gadget's folders and the mounted FunctionFS instance, whose ep0 then awaits the
    // function's descriptors. A gadget of the same name left by an earlier run goes first.
    bool create(std::string& error);
    const std::string& functionFsMount() const { return m_mount; }

    // Writes the UDC's name to the gadget's UDC file, or an empty line.
    bool enter(std::string& error) override;
    bool leave(std::string& error) override;

    // Unbinds, unmounts and removes the folders in the order configfs requires. Called by the
    // destructor too; the FunctionFS files must be closed first.
    void destroy();

  private:
    std::string path(const std::string& relative) const;
    void removeFolders();

    GadgetSettings m_settings;
    std::string m_root;
    std::string m_mount;
    bool m_created = false;
    bool m_mounted = false;
    bool m_bound = false;
};

} // namespace vstick

#include "configfs_gadget.h"

#include "stick_identity.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vstick {

namespace {

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool WriteFile(const std::string& file, const std::string& text, std::string& error) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = ErrnoText(file);
        return false;
    }
    const ssize_t written = ::write(fd, text.data(), text.size());
    const bool ok = written == static_cast<ssize_t>(text.size());
    if (!ok) {
        error = ErrnoText("writing '" + text + "' to " + file);
    }
    ::close(fd);
    return ok;
}

bool MakeFolder(const std::string& folder, std::string& error) {
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        error = ErrnoText(folder);
        return false;
    }
    return true;
}

bool Exists(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", value);
    return text;
}

} // namespace

ConfigfsGadget::ConfigfsGadget(GadgetSettings settings)
    : m_settings(std::move(settings)),
      m_root(m_settings.configfs + "/usb_gadget/" + m_settings.name),
      m_mount(m_settings.functionFsMount.empty() ? "/dev/ffs-" + m_settings.name
                                                 : m_settings.functionFsMount) {}

ConfigfsGadget::~ConfigfsGadget() {
    destroy();
}

std::string ConfigfsGadget::path(const std::string& relative) const {
    return m_root + "/" + relative;
}

bool ConfigfsGadget::create(std::string& error) {
    const std::string gadgets = m_settings.configfs + "/usb_gadget";
    if (!Exists(gadgets) &&
        ::mount("none", m_settings.configfs.c_str(), "configfs", 0, nullptr) != 0) {
        error = ErrnoText("mounting configfs on " + m_settings.configfs);
        return false;
    }
    if (!Exists(gadgets)) {
        error = gadgets + " is missing: is libcomposite loaded?";
        return false;
    }
    if (Exists(m_root)) {
        // Left by a run that did not end cleanly.
        std::string ignored;
        WriteFile(path("UDC"), "\n", ignored);
        ::umount(m_mount.c_str());
        removeFolders();
    }
    m_created = true;
    const std::string function = "functions/ffs." + m_settings.name;
    const bool made =
        MakeFolder(m_root, error) && WriteFile(path("idVendor"), Hex(kUsbVendorId), error) &&
        WriteFile(path("idProduct"), Hex(kUsbProductId), error) &&
        WriteFile(path("bcdDevice"), Hex(kUsbDeviceRelease), error) &&
        WriteFile(path("bcdUSB"), Hex(0x0200), error) && MakeFolder(path("strings/0x409"), error) &&
        WriteFile(path("strings/0x409/manufacturer"), kManufacturer, error) &&
        WriteFile(path("strings/0x409/product"), kProduct, error) &&
        WriteFile(path("strings/0x409/serialnumber"), kSerialNumber, error) &&
        MakeFolder(path("configs/c.1"), error) &&
        MakeFolder(path("configs/c.1/strings/0x409"), error) &&
        WriteFile(path("configs/c.1/strings/0x409/configuration"), "LM704", error) &&
        WriteFile(path("configs/c.1/MaxPower"), "100", error) && MakeFolder(path(function), error);
    if (!made) {
        return false;
    }
    if (::symlink(path(function).c_str(), path("configs/c.1/ffs." + m_settings.name).c_str()) !=
            0 &&
        errno != EEXIST) {
        error = ErrnoText("linking " + function + " into configs/c.1");
        return false;
    }
    if (!MakeFolder(m_mount, error)) {
        return false;
    }
    // FunctionFS finds its function instance by the name given as the mount's source.
    if (::mount(m_settings.name.c_str(), m_mount.c_str(), "functionfs", 0, nullptr) != 0) {
        error = ErrnoText("mounting functionfs " + m_settings.name + " on " + m_mount +
                          " (is usb_f_fs loaded?)");
        return false;
    }
    m_mounted = true;
    return true;
}

bool ConfigfsGadget::enter(std::string& error) {
    if (!WriteFile(path("UDC"), m_settings.udc, error)) {
        return false;
    }
    m_bound = true;
    return true;
}

bool ConfigfsGadget::leave(std::string& error) {
    if (!WriteFile(path("UDC"), "\n", error)) {
        return false;
    }
    m_bound = false;
    return true;
}

void ConfigfsGadget::destroy() {
    std::string ignored;
    if (m_bound) {
        leave(ignored);
    }
    if (m_mounted) {
        ::umount(m_mount.c_str());
        m_mounted = false;
    }
    if (m_created) {
        removeFolders();
        ::rmdir(m_mount.c_str());
        m_created = false;
    }
}

void ConfigfsGadget::removeFolders() {
    // The reverse of making them: the function's link, the configuration's strings and the
    // configuration, the function, the gadget's strings, the gadget.
    ::unlink(path("configs/c.1/ffs." + m_settings.name).c_str());
    ::rmdir(path("configs/c.1/strings/0x409").c_str());
    ::rmdir(path("configs/c.1").c_str());
    ::rmdir(path("functions/ffs." + m_settings.name).c_str());
    ::rmdir(path("strings/0x409").c_str());
    ::rmdir(m_root.c_str());
}

} // namespace vstick

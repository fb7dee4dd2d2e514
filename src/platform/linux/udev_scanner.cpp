#include "platform/linux/udev_scanner.h"

#include <libudev.h>
#include <sys/sysmacros.h>

#include <memory>
#include <string_view>

namespace platform::linux_backend {

namespace {

struct UdevFree {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T> using UdevPtr = std::unique_ptr<T, UdevFree>;

std::string Text(const char* value) {
    return value != nullptr ? std::string(value) : std::string();
}

// The node of the SCSI generic device that shares the SCSI device with the block device.
std::string GenericNode(udev* context, udev_device* scsiDevice) {
    UdevPtr<udev_enumerate> children(udev_enumerate_new(context));
    if (!children || udev_enumerate_add_match_parent(children.get(), scsiDevice) < 0 ||
        udev_enumerate_add_match_subsystem(children.get(), "scsi_generic") < 0 ||
        udev_enumerate_scan_devices(children.get()) < 0) {
        return {};
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(children.get())) {
        UdevPtr<udev_device> child(
            udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)));
        if (child && udev_device_get_devnode(child.get()) != nullptr) {
            return udev_device_get_devnode(child.get());
        }
    }
    return {};
}

UdevRecord Describe(udev* context, udev_device* device, udev_device* scsiDevice) {
    UdevRecord record;
    record.sysname = Text(udev_device_get_sysname(device));
    record.syspath = Text(udev_device_get_syspath(device));
    record.devnode = Text(udev_device_get_devnode(device));
    const dev_t number = udev_device_get_devnum(device);
    record.major = major(number);
    record.minor = minor(number);
    for (const char* name : kScannedAttributes) {
        // "device/x" is the SCSI device's attribute x.
        const std::string_view attribute(name);
        const char* value = attribute.substr(0, 7) == "device/"
                                ? udev_device_get_sysattr_value(scsiDevice, name + 7)
                                : udev_device_get_sysattr_value(device, name);
        if (value != nullptr) {
            record.attributes.emplace(name, value);
        }
    }
    for (const char* property : {"ID_CDROM", "ID_PATH", "ID_BUS"}) {
        if (const char* value = udev_device_get_property_value(device, property)) {
            record.properties.emplace(property, value);
        }
    }
    // Parents are owned by their child: no unref.
    if (udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device")) {
        record.usbDevice = Text(udev_device_get_sysname(usb));
    }
    record.scsiDevice = Text(udev_device_get_sysname(scsiDevice));
    record.sgNode = GenericNode(context, scsiDevice);
    return record;
}

} // namespace

std::vector<UdevRecord> UdevScanner::scan() {
    std::vector<UdevRecord> records;
    UdevPtr<udev> context(udev_new());
    if (!context) {
        return records;
    }
    UdevPtr<udev_enumerate> enumeration(udev_enumerate_new(context.get()));
    if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "block") < 0 ||
        udev_enumerate_scan_devices(enumeration.get()) < 0) {
        return records;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
        UdevPtr<udev_device> device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!device || std::string_view(Text(udev_device_get_devtype(device.get()))) != "disk") {
            continue;
        }
        udev_device* scsiDevice =
            udev_device_get_parent_with_subsystem_devtype(device.get(), "scsi", "scsi_device");
        if (scsiDevice == nullptr) {
            continue; // not a SCSI device: no CD-ROM drive and no stick
        }
        records.push_back(Describe(context.get(), device.get(), scsiDevice));
    }
    return records;
}

} // namespace platform::linux_backend

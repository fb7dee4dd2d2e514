#include "platform/host/host_machine.h"

#include "embedded_resources.h"
#include "platform/pe/pe_version_info.h"

#if KESTRUN_HOST_LINUX
#include "platform/linux/linux_machine.h"
#endif

#include <cstring>
#include <filesystem>
#include <system_error>

namespace platform::host {

namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kDriveNoRootDir = 1;

// A machine on which no drive can be seen or opened, and no file read but the program itself.
class NoDevices final : public Storage, public Drives, public pe::FileSource {
  public:
    explicit NoDevices(std::string programPath) : m_programPath(std::move(programPath)) {}

    OpenResult open(const char*, OpenMode) override {
        return {DeviceHandle::None, kErrorFileNotFound};
    }
    void close(DeviceHandle) override {}
    QueryResult queryProperty(DeviceHandle, StorageProperty, std::span<std::uint8_t>) override {
        return {QueryStatus::Failed, kErrorFileNotFound};
    }
    bool passThrough(DeviceHandle, PassThroughRequest&) override { return false; }

    std::uint32_t logicalDriveStrings(std::span<char>) override { return 0; }
    std::uint32_t driveType(const char*) override { return kDriveNoRootDir; }
    std::uint32_t moduleFileName(std::span<char> buffer) override {
        if (buffer.empty()) {
            return 0;
        }
        const std::size_t length = std::min(m_programPath.size(), buffer.size() - 1);
        std::memcpy(buffer.data(), m_programPath.data(), length);
        buffer[length] = '\0';
        return static_cast<std::uint32_t>(length);
    }

    std::optional<std::vector<std::uint8_t>> read(const char*) override { return std::nullopt; }
    bool isRunningProgram(const char* path) override {
        return path != nullptr && m_programPath == path;
    }

  private:
    const std::string m_programPath;
};

std::string ProgramPath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("kestrun") : path.string();
}

class DeviceFreeMachine final : public HostMachine {
  public:
    DeviceFreeMachine(DialogControls& controls, std::uint16_t userLanguage)
        : m_resources(EmbeddedResources()), m_devices(ProgramPath()),
          m_versions(m_devices, m_resources.versionResource()), m_platform{m_devices,   m_devices,
                                                                           m_resources, m_versions,
                                                                           m_clock,     m_threads,
                                                                           controls} {
        m_resources.setUserLanguage(userLanguage);
    }

    Platform& platform() override { return m_platform; }
    resfile::ResFileResources& programResources() override { return m_resources; }

  private:
    resfile::ResFileResources m_resources;
    NoDevices m_devices;
    pe::PeVersionInfo m_versions;
    StdClock m_clock;
    StdThreads m_threads;
    Platform m_platform;
};

#if KESTRUN_HOST_LINUX
// The Linux machine's drives, storage and file versions (the program's own included), with the
// front end's controls and the texts in the user's language.
class LinuxHostMachine final : public HostMachine {
  public:
    LinuxHostMachine(DialogControls& controls, std::uint16_t userLanguage)
        : m_machine(EmbeddedResources()),
          m_resources(EmbeddedResources()), m_platform{m_machine.storage(),
                                                       m_machine.drives(),
                                                       m_resources,
                                                       m_machine.fileVersions(),
                                                       m_clock,
                                                       m_threads,
                                                       controls} {
        m_resources.setUserLanguage(userLanguage);
    }

    Platform& platform() override { return m_platform; }
    resfile::ResFileResources& programResources() override { return m_resources; }
    std::optional<std::string> accessProblem() const override {
        const auto denial = m_machine.accessDenial();
        return denial ? std::optional(linux_backend::AccessDenialHint(*denial)) : std::nullopt;
    }

  private:
    linux_backend::LinuxMachine m_machine;
    resfile::ResFileResources m_resources;
    StdClock m_clock;
    StdThreads m_threads;
    Platform m_platform;
};
#endif

} // namespace

std::unique_ptr<HostMachine> OpenHostMachine(DialogControls& controls, std::uint16_t userLanguage) {
#if KESTRUN_HOST_LINUX
    return std::make_unique<LinuxHostMachine>(controls, userLanguage);
#else
    return std::make_unique<DeviceFreeMachine>(controls, userLanguage);
#endif
}

} // namespace platform::host

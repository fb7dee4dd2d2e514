#pragma once
// A simulated PC: the program's own path and version, its drives (one of them may be the
// stick), the stick's script and the program's resources. Built in code or loaded from JSON
// (docs/simulator.md describes the file format).

#include "platform/sim/stick_script.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class VersionBlockState {
    Ok,
    Missing,    // no version block: the size query gives 0
    Unreadable, // a size, but reading the block fails
};

struct FileSpec {
    std::string name; // in the drive's root, e.g. "QivarGUIMain.exe"
    std::optional<std::string> productVersion;
    std::string translation = "000004b0"; // language and code page of the string table
    VersionBlockState block = VersionBlockState::Ok;
};

struct AdapterLimits {
    std::uint32_t maxTransferLength = 65536;
    std::uint32_t maxPhysicalPages = 17;
    std::uint32_t alignmentMask = 1;
};

// The four storage property queries, told apart by their output size: a query for exactly the
// 8-byte header is a header query, any other a full one.
enum class QueryStep { AdapterHeader, AdapterFull, DeviceHeader, DeviceFull };

struct QueryFailure {
    QueryStep step = QueryStep::AdapterFull;
    std::uint32_t error = 0;
    bool tolerated = false; // NotAvailable with `error` instead of Failed
};

struct DriveSpec {
    char letter = 'C';
    std::uint32_t type = 3; // drive type code
    std::uint32_t bus = 11; // STORAGE_BUS_TYPE
    std::string vendor;
    std::string product;
    std::string revision = "1.00";
    std::optional<std::uint32_t> vendorOffset;  // replaces the offset the descriptor names
    std::optional<std::uint32_t> productOffset; // likewise
    bool descriptorQueryFails = false;          // every device-descriptor query fails
    std::uint32_t openError = 0;                // every open fails with this code
    std::uint32_t visibleAfterScans = 0;        // missing from the first N drive lists
    std::optional<AdapterLimits> adapter = AdapterLimits{}; // nothing: reports no descriptor
    std::optional<QueryFailure> queryFailure;
    std::optional<std::uint32_t> adapterDescriptorSize; // the Size the adapter reports
    std::vector<FileSpec> files;
    bool stick = false; // this drive is the stick
};

enum class DriveListMode {
    Ok,
    // Both failures leave in the buffer the roots the call had written, as far as they fit.
    Fail,     // the call returns 0
    Overflow, // the call returns a count larger than the buffer
};

enum class ResourceLoad { Ok, Fail };

struct ResourceSpec {
    std::string type;
    std::uint16_t id = 0;
    std::uint32_t length = 0;
    std::optional<std::string> label; // at most 32 bytes, filled up with blanks to 32
    std::uint32_t seed = 0;           // of the pseudo-random content
    ResourceLoad load = ResourceLoad::Ok;
};

struct Scenario {
    std::string modulePath = "C:\\Program Files\\Kestrun\\Kestrun.exe";
    DriveListMode driveList = DriveListMode::Ok;
    std::string toolFileVersion = "4.0.1.3";
    std::vector<DriveSpec> drives;
    StickScript stick;
    std::vector<ResourceSpec> resources = DefaultResources();
    // The program's own resources, as its build embeds them, in place of `resources`; the
    // machine serves them when its owner hands them over.
    bool programResources = false;
    std::uint32_t speed = 0; // 0: sleeps cost no real time; N: a sleep also waits ms/N real ms
    bool threadCreationFails = false;

    // The three firmware images the program carries: "IsoImage" 133 with the label "KESTRN",
    // "IsoImage" 144 and "KERNEL_IMAGE" 143, at their catalogue lengths.
    static std::vector<ResourceSpec> DefaultResources();
};

// A USB CD-ROM drive that is the stick; with a version, it holds QivarGUIMain.exe of that
// ProductVersion.
DriveSpec MakeStickDrive(char letter, std::optional<std::string> installedVersion = {});

// Checks what JSON and code may both get wrong: letters, a single stick, lengths and sizes.
bool ValidateScenario(const Scenario& scenario, std::string& error);

// Unknown keys and wrong types are errors; `error` names the place, e.g.
// "drives[1].vendr: unknown key".
bool ParseScenario(std::string_view json, Scenario& out, std::string& error);
bool LoadScenarioFile(const std::string& path, Scenario& out, std::string& error);

} // namespace sim

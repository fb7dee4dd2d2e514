// Reading a scenario from JSON. Every key is checked: a misspelt key must stop the run rather
// than leave a default silently in its place.

#include "platform/sim/scenario.h"

#include "platform/sim/win_errors.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace sim {

namespace {

using Json = nlohmann::json;

struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
    throw ScenarioError((path.empty() ? std::string("scenario") : path) + ": " + what);
}

// One JSON object: hands out its keys and, at the end, rejects every key nobody asked for.
class Object {
  public:
    Object(const Json& json, std::string path) : m_json(json), m_path(std::move(path)) {
        if (!json.is_object()) {
            Fail(m_path, "must be an object");
        }
    }

    const Json* get(const std::string& key) {
        m_known.push_back(key);
        const auto it = m_json.find(key);
        return it == m_json.end() ? nullptr : &*it;
    }

    std::string at(const std::string& key) const {
        return m_path.empty() ? key : m_path + "." + key;
    }

    void finish() const {
        for (const auto& item : m_json.items()) {
            if (item.key() == "comment" || Known(item.key())) {
                continue;
            }
            std::string known;
            for (const std::string& key : m_known) {
                known += (known.empty() ? "" : ", ") + key;
            }
            Fail(at(item.key()), "unknown key (known here: " + known + ", comment)");
        }
    }

  private:
    bool Known(const std::string& key) const {
        for (const std::string& k : m_known) {
            if (k == key) {
                return true;
            }
        }
        return false;
    }

    const Json& m_json;
    std::string m_path;
    std::vector<std::string> m_known;
};

std::uint64_t Unsigned(const Json& json, const std::string& path, std::uint64_t max) {
    if (!json.is_number_integer() || (!json.is_number_unsigned() && json.get<std::int64_t>() < 0)) {
        Fail(path, "must be a whole number of 0 or more");
    }
    const std::uint64_t value = json.get<std::uint64_t>();
    if (value > max) {
        Fail(path, "must be at most " + std::to_string(max));
    }
    return value;
}

std::uint32_t U32(const Json& json, const std::string& path) {
    return static_cast<std::uint32_t>(Unsigned(json, path, 0xFFFFFFFFu));
}

std::string Text(const Json& json, const std::string& path) {
    if (!json.is_string()) {
        Fail(path, "must be a text");
    }
    return json.get<std::string>();
}

bool Flag(const Json& json, const std::string& path) {
    if (!json.is_boolean()) {
        Fail(path, "must be true or false");
    }
    return json.get<bool>();
}

// One of the listed words; its index.
std::size_t Choice(const Json& json, const std::string& path,
                   std::initializer_list<const char*> words) {
    std::string list;
    if (json.is_string()) {
        std::size_t index = 0;
        for (const char* word : words) {
            if (json.get<std::string>() == word) {
                return index;
            }
            ++index;
        }
    }
    for (const char* word : words) {
        list += (list.empty() ? "\"" : ", \"") + std::string(word) + "\"";
    }
    Fail(path, "must be one of " + list);
}

// A code given as a number or by its name.
std::uint32_t NamedCode(const Json& json, const std::string& path,
                        std::initializer_list<std::pair<const char*, std::uint32_t>> names) {
    if (json.is_string()) {
        for (const auto& [name, code] : names) {
            if (json.get<std::string>() == name) {
                return code;
            }
        }
        std::string list;
        for (const auto& [name, code] : names) {
            list += (list.empty() ? "\"" : ", \"") + std::string(name) + "\"";
        }
        Fail(path, "must be a number or one of " + list);
    }
    return U32(json, path);
}

Reply ParseReply(const Json& json, const std::string& path) {
    if (json.is_string()) {
        switch (Choice(json, path, {"idle", "done", "busy", "invalid", "error", "fail", "gone"})) {
        case 0:
            return Reply::Idle();
        case 1:
            return Reply::Done();
        case 2:
            return Reply::Busy();
        case 3:
            return Reply::Invalid();
        case 4:
            return Reply::Error();
        case 5:
            return Reply::Fail();
        default:
            return Reply::Gone();
        }
    }
    Object object(json, path);
    Reply reply;
    if (const Json* state = object.get("state")) {
        reply.state = static_cast<std::uint8_t>(Unsigned(*state, object.at("state"), 255));
    } else {
        Fail(path, "a reply object needs \"state\"");
    }
    if (const Json* magic = object.get("magic")) {
        reply.magic = Flag(*magic, object.at("magic"));
    }
    if (const Json* length = object.get("length")) {
        reply.length = static_cast<std::uint8_t>(Unsigned(*length, object.at("length"), 12));
    }
    object.finish();
    return reply;
}

// A list of replies, where {"reply": R, "times": n} stands for n copies of R; a single reply
// is a list of one.
std::vector<Reply> ParseReplies(const Json& json, const std::string& path) {
    if (!json.is_array()) {
        return {ParseReply(json, path)};
    }
    std::vector<Reply> replies;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const std::string itemPath = path + "[" + std::to_string(i) + "]";
        const Json& item = json[i];
        if (item.is_object() && item.contains("reply")) {
            Object repeat(item, itemPath);
            const Reply reply = ParseReply(*repeat.get("reply"), repeat.at("reply"));
            std::uint64_t times = 1;
            if (const Json* count = repeat.get("times")) {
                times = Unsigned(*count, repeat.at("times"), 100000);
            }
            repeat.finish();
            replies.insert(replies.end(), times, reply);
        } else {
            replies.push_back(ParseReply(item, itemPath));
        }
    }
    return replies;
}

std::uint32_t ChunkNumber(const std::string& key, const std::string& path) {
    std::uint64_t value = 0;
    if (key.empty() || key.size() > 5) {
        Fail(path, "chunk numbers are 0..65535");
    }
    for (char c : key) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            Fail(path, "chunk numbers are 0..65535");
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFF) {
        Fail(path, "chunk numbers are 0..65535");
    }
    return static_cast<std::uint32_t>(value);
}

ImageScript ParseImage(const Json& json, const std::string& path) {
    Object object(json, path);
    ImageScript image;
    if (const Json* v = object.get("pre_check")) {
        image.preCheck = ParseReply(*v, object.at("pre_check"));
    }
    if (const Json* v = object.get("polls")) {
        Object polls(*v, object.at("polls"));
        for (const auto& item : v->items()) {
            const std::string itemPath = polls.at(item.key());
            polls.get(item.key());
            image.polls[ChunkNumber(item.key(), itemPath)] = ParseReplies(item.value(), itemPath);
        }
        polls.finish();
    }
    if (const Json* v = object.get("default_poll")) {
        image.defaultPoll = ParseReply(*v, object.at("default_poll"));
    }
    if (const Json* v = object.get("fail_chunk")) {
        image.failChunk = static_cast<std::uint32_t>(Unsigned(*v, object.at("fail_chunk"), 0xFFFF));
    }
    if (const Json* v = object.get("vanish_at_chunk")) {
        image.vanishAtChunk =
            static_cast<std::uint32_t>(Unsigned(*v, object.at("vanish_at_chunk"), 0xFFFF));
    }
    if (const Json* v = object.get("check")) {
        image.check = ParseReplies(*v, object.at("check"));
        if (image.check.empty()) {
            Fail(object.at("check"), "needs at least one reply");
        }
    }
    if (const Json* v = object.get("reboot_ms")) {
        const bool minusOne = v->is_number_integer() && !v->is_number_unsigned() &&
                              v->get<std::int64_t>() == kNeverBack;
        if (v->is_string()) {
            Choice(*v, object.at("reboot_ms"), {"never"});
            image.rebootMs = kNeverBack;
        } else if (minusOne) {
            image.rebootMs = kNeverBack;
        } else if (v->is_number_unsigned()) {
            image.rebootMs = static_cast<std::int64_t>(U32(*v, object.at("reboot_ms")));
        } else {
            Fail(object.at("reboot_ms"), "must be 0 or more, -1 or \"never\"");
        }
    }
    if (const Json* v = object.get("reboot_delay_ms")) {
        image.rebootDelayMs = U32(*v, object.at("reboot_delay_ms"));
    }
    if (const Json* v = object.get("installs_version")) {
        image.installsVersion = Text(*v, object.at("installs_version"));
    }
    object.finish();
    return image;
}

StickScript ParseStick(const Json& json, const std::string& path) {
    Object object(json, path);
    StickScript stick;
    if (const Json* v = object.get("identify_length")) {
        stick.identifyLength =
            static_cast<std::uint32_t>(Unsigned(*v, object.at("identify_length"), 4096));
    }
    if (const Json* v = object.get("identify")) {
        stick.identifyFails = Choice(*v, object.at("identify"), {"ok", "fail"}) == 1;
    }
    if (const Json* v = object.get("images")) {
        if (!v->is_array()) {
            Fail(object.at("images"), "must be a list");
        }
        for (std::size_t i = 0; i < v->size(); ++i) {
            stick.images.push_back(
                ParseImage((*v)[i], object.at("images") + "[" + std::to_string(i) + "]"));
        }
    }
    if (const Json* v = object.get("latency_ms")) {
        stick.latencyMs = U32(*v, object.at("latency_ms"));
    }
    object.finish();
    return stick;
}

void ParseAdapter(const Json& json, const std::string& path, DriveSpec& drive) {
    if (json.is_string()) {
        Choice(json, path, {"none"});
        drive.adapter.reset();
        return;
    }
    Object object(json, path);
    AdapterLimits limits;
    if (const Json* v = object.get("max_transfer_length")) {
        limits.maxTransferLength = U32(*v, object.at("max_transfer_length"));
    }
    if (const Json* v = object.get("max_physical_pages")) {
        limits.maxPhysicalPages = U32(*v, object.at("max_physical_pages"));
    }
    if (const Json* v = object.get("alignment_mask")) {
        limits.alignmentMask = U32(*v, object.at("alignment_mask"));
    }
    drive.adapter = limits;
    if (const Json* v = object.get("fail_query")) {
        QueryFailure failure;
        failure.step = static_cast<QueryStep>(
            Choice(*v, object.at("fail_query"),
                   {"adapter_header", "adapter_full", "device_header", "device_full"}));
        failure.error = win::kErrorGenFailure;
        if (const Json* error = object.get("error")) {
            failure.error = U32(*error, object.at("error"));
        }
        failure.tolerated = win::IsToleratedQueryError(failure.error);
        if (const Json* tolerated = object.get("tolerated")) {
            failure.tolerated = Flag(*tolerated, object.at("tolerated"));
        }
        drive.queryFailure = failure;
    }
    object.finish();
}

FileSpec ParseFile(const std::string& name, const Json& json, const std::string& path) {
    Object object(json, path);
    FileSpec file;
    file.name = name;
    if (const Json* v = object.get("product_version")) {
        file.productVersion = Text(*v, object.at("product_version"));
    }
    if (const Json* v = object.get("translation")) {
        file.translation = Text(*v, object.at("translation"));
    }
    if (const Json* v = object.get("version_block")) {
        file.block = static_cast<VersionBlockState>(
            Choice(*v, object.at("version_block"), {"ok", "missing", "unreadable"}));
    }
    object.finish();
    return file;
}

char ParseLetter(const Json& json, const std::string& path) {
    const std::string text = Text(json, path);
    const bool shapeOk = (text.size() == 1 || (text.size() == 2 && text[1] == ':')) &&
                         std::isalpha(static_cast<unsigned char>(text[0]));
    if (!shapeOk) {
        Fail(path, "must be a drive letter such as \"E\" or \"E:\"");
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
}

DriveSpec ParseDrive(const Json& json, const std::string& path) {
    Object object(json, path);
    // A stick drive starts from the stick's own identity; the other keys refine it.
    const Json* stick = object.get("stick");
    DriveSpec drive;
    if (stick && Flag(*stick, object.at("stick"))) {
        drive = MakeStickDrive('C');
    }
    if (const Json* v = object.get("letter")) {
        drive.letter = ParseLetter(*v, object.at("letter"));
    } else {
        Fail(path, "needs \"letter\"");
    }
    if (const Json* v = object.get("type")) {
        drive.type = NamedCode(*v, object.at("type"),
                               {{"removable", win::kDriveRemovable},
                                {"fixed", win::kDriveFixed},
                                {"remote", win::kDriveRemote},
                                {"cdrom", win::kDriveCdrom}});
    }
    if (const Json* v = object.get("bus")) {
        drive.bus = NamedCode(*v, object.at("bus"),
                              {{"scsi", win::kBusScsi},
                               {"ata", win::kBusAta},
                               {"usb", win::kBusUsb},
                               {"sata", win::kBusSata}});
    }
    if (const Json* v = object.get("vendor")) {
        drive.vendor = Text(*v, object.at("vendor"));
    }
    if (const Json* v = object.get("product")) {
        drive.product = Text(*v, object.at("product"));
    }
    if (const Json* v = object.get("revision")) {
        drive.revision = Text(*v, object.at("revision"));
    }
    if (const Json* v = object.get("vendor_offset")) {
        drive.vendorOffset = U32(*v, object.at("vendor_offset"));
    }
    if (const Json* v = object.get("product_offset")) {
        drive.productOffset = U32(*v, object.at("product_offset"));
    }
    if (const Json* v = object.get("descriptor_query")) {
        drive.descriptorQueryFails = Choice(*v, object.at("descriptor_query"), {"ok", "fail"}) == 1;
    }
    if (const Json* v = object.get("open_error")) {
        drive.openError = U32(*v, object.at("open_error"));
    }
    if (const Json* v = object.get("visible_after_scans")) {
        drive.visibleAfterScans = U32(*v, object.at("visible_after_scans"));
    }
    if (const Json* v = object.get("adapter")) {
        ParseAdapter(*v, object.at("adapter"), drive);
    }
    if (const Json* v = object.get("adapter_descriptor_size")) {
        drive.adapterDescriptorSize = U32(*v, object.at("adapter_descriptor_size"));
    }
    if (const Json* v = object.get("files")) {
        Object files(*v, object.at("files"));
        drive.files.clear();
        for (const auto& item : v->items()) {
            files.get(item.key());
            drive.files.push_back(ParseFile(item.key(), item.value(), files.at(item.key())));
        }
        files.finish();
    }
    object.finish();
    return drive;
}

ResourceSpec ParseResource(const Json& json, const std::string& path) {
    Object object(json, path);
    ResourceSpec resource;
    if (const Json* v = object.get("type")) {
        resource.type = Text(*v, object.at("type"));
    } else {
        Fail(path, "needs \"type\"");
    }
    if (const Json* v = object.get("id")) {
        resource.id = static_cast<std::uint16_t>(Unsigned(*v, object.at("id"), 0xFFFF));
    } else {
        Fail(path, "needs \"id\"");
    }
    if (const Json* v = object.get("length")) {
        resource.length = U32(*v, object.at("length"));
    } else {
        Fail(path, "needs \"length\"");
    }
    if (const Json* v = object.get("label")) {
        resource.label = Text(*v, object.at("label"));
    }
    resource.seed = resource.id;
    if (const Json* v = object.get("seed")) {
        resource.seed = U32(*v, object.at("seed"));
    }
    if (const Json* v = object.get("load")) {
        resource.load = static_cast<ResourceLoad>(Choice(*v, object.at("load"), {"ok", "fail"}));
    }
    object.finish();
    return resource;
}

Scenario ParseTop(const Json& json) {
    Object object(json, "");
    Scenario scenario;
    if (const Json* v = object.get("module_path")) {
        scenario.modulePath = Text(*v, object.at("module_path"));
    }
    if (const Json* v = object.get("drive_list")) {
        scenario.driveList = static_cast<DriveListMode>(
            Choice(*v, object.at("drive_list"), {"ok", "fail", "overflow"}));
    }
    if (const Json* v = object.get("tool_file_version")) {
        scenario.toolFileVersion = Text(*v, object.at("tool_file_version"));
    }
    if (const Json* v = object.get("drives")) {
        if (!v->is_array()) {
            Fail(object.at("drives"), "must be a list");
        }
        for (std::size_t i = 0; i < v->size(); ++i) {
            scenario.drives.push_back(ParseDrive((*v)[i], "drives[" + std::to_string(i) + "]"));
        }
    }
    if (const Json* v = object.get("stick")) {
        scenario.stick = ParseStick(*v, "stick");
    }
    if (const Json* v = object.get("resources"); v != nullptr && v->is_string()) {
        if (v->get<std::string>() != "program") {
            Fail(object.at("resources"), "must be a list or \"program\"");
        }
        scenario.programResources = true;
    } else if (v != nullptr) {
        if (!v->is_array()) {
            Fail(object.at("resources"), "must be a list or \"program\"");
        }
        scenario.resources.clear();
        for (std::size_t i = 0; i < v->size(); ++i) {
            scenario.resources.push_back(
                ParseResource((*v)[i], "resources[" + std::to_string(i) + "]"));
        }
    }
    if (const Json* v = object.get("speed")) {
        scenario.speed = U32(*v, object.at("speed"));
    }
    if (const Json* v = object.get("thread_creation")) {
        scenario.threadCreationFails =
            Choice(*v, object.at("thread_creation"), {"ok", "fail"}) == 1;
    }
    object.finish();
    return scenario;
}

} // namespace

bool ParseScenario(std::string_view json, Scenario& out, std::string& error) {
    try {
        Scenario scenario = ParseTop(Json::parse(json.begin(), json.end()));
        if (!ValidateScenario(scenario, error)) {
            return false;
        }
        out = std::move(scenario);
        return true;
    } catch (const Json::parse_error& e) {
        error = std::string("not valid JSON: ") + e.what();
    } catch (const ScenarioError& e) {
        error = e.what();
    }
    return false;
}

bool LoadScenarioFile(const std::string& path, Scenario& out, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be opened";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!ParseScenario(text.str(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

} // namespace sim

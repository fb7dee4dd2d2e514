#pragma once
// Everything the tool's logic reaches outside itself, gathered for one machine.

#include "platform/clock.h"
#include "platform/dialog_controls.h"
#include "platform/drives.h"
#include "platform/resources.h"
#include "platform/storage.h"
#include "platform/threads.h"
#include "platform/version_info.h"

namespace platform {

struct Platform {
    Storage& storage;
    Drives& drives;
    Resources& resources;
    VersionInfo& versionInfo;
    Clock& clock;
    Threads& threads;
    DialogControls& controls;
};

} // namespace platform

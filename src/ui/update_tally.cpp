#include "ui/update_tally.h"

namespace {

// Each image starts with its stage caption alone in the status control.
bool IsStageCaption(std::string_view text) {
    return text == "Uploading ISO Image..." || text == "Uploading Kernel Image...";
}

} // namespace

void UpdateTally::onStatus(std::string_view text) {
    if (IsStageCaption(text)) {
        ++m_started;
        m_currentDone = false;
    } else if (text == "Update Done" && m_started > 0 && !m_currentDone) {
        ++m_done;
        m_currentDone = true;
    }
}

#pragma once
// Follows the status texts of an update and tells whether it went through: every image that
// was sent ended its check in "Update Done" (after its "OK" verdict or after the countdown for a
// stick that did not answer), and the plan ran to its end.

#include <string_view>

class UpdateTally {
  public:
    explicit UpdateTally(int plannedImages) : m_planned(plannedImages) {}

    // Each text as it is shown in the status control.
    void onStatus(std::string_view text);

    int imagesStarted() const { return m_started; }
    int imagesDone() const { return m_done; }
    bool succeeded() const { return m_started == m_planned && m_done == m_started; }

  private:
    const int m_planned;
    int m_started = 0;
    int m_done = 0;
    bool m_currentDone = false;
};

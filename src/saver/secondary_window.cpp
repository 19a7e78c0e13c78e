#include "saver/secondary_window.h"

#include "saver/rainbow.h"

namespace chronivo {

namespace {

// Sets the role of the frames painted while it lives, and puts Check back after them, so that a
// frame of the main window can never run as a follower's, whatever leaves the paint.
class FollowPace {
public:
    FollowPace(StripePace& pace, PaceRole role)
        : m_pace(pace) {
        m_pace.m_paceRole = role;
    }
    ~FollowPace() { m_pace.m_paceRole = PaceRole::Check; }
    FollowPace(const FollowPace&) = delete;
    FollowPace& operator=(const FollowPace&) = delete;

private:
    StripePace& m_pace;
};

} // namespace

SecondaryWindow::SecondaryWindow(SaverHost& host, const SaverWindow& main, StripePace& pace)
    : SaverWindow(host, pace)
    , m_main(&main) {}

SecondaryWindow::~SecondaryWindow() = default;

void SecondaryWindow::DrawFrame(const QRect& updateRect) {
    // The main window's flag as its latest frame left it; before its first frame, the setting.
    // Once it has gone, the run is ending: the stripes stay as they are.
    bool mainStriped = true;
    if (m_main) {
        const FrameComposer* composer = m_main->Composer();
        mainStriped = composer != nullptr ? composer->Rainbow() : m_main->Settings().m_rainbow != 0;
    }
    const FollowPace follow(m_pace, mainStriped ? PaceRole::FollowStriped : PaceRole::FollowSolid);
    SaverWindow::DrawFrame(updateRect);
}

} // namespace chronivo

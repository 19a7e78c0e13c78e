#include "idle/idle_watcher.h"
#include "idle/x11_idle_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chronivo {
namespace {

using E = WatchEvent;
using A = WatchAction;

struct Step {
    WatchEvent event;
    WatchAction action;
};

struct StoryCase {
    const char* fact;
    std::vector<Step> steps;
};

TEST(IdleWatcherTest, StartsAndStopsTheSaverAsTheSessionGoes) {
    const StoryCase stories[] = {
        {"idle starts the saver; input is the saver's to judge, and once it has gone the next "
         "idle starts it again",
         {{E::Idle, A::StartSaver},
          {E::Resumed, A::TellSaverOfInput},
          {E::SaverGone, A::None},
          {E::Idle, A::StartSaver}}},
        {"input the saver let pass (a nudge) leaves it on screen through the next idle time",
         {{E::Idle, A::StartSaver},
          {E::Resumed, A::TellSaverOfInput},
          {E::Idle, A::None},
          {E::Resumed, A::TellSaverOfInput}}},
        {"an inhibitor holds the saver off until it goes, while the session stays idle",
         {{E::Inhibited, A::None},
          {E::Idle, A::None},
          {E::Uninhibited, A::StartSaver},
          {E::Inhibited, A::None},
          {E::Resumed, A::TellSaverOfInput}}},
        {"an inhibitor that comes and goes while the user works starts nothing",
         {{E::Inhibited, A::None}, {E::Uninhibited, A::None}, {E::Idle, A::StartSaver}}},
        {"a locked session never gets the saver, and locking stops one on screen",
         {{E::Idle, A::StartSaver},
          {E::Locked, A::StopSaver},
          {E::Resumed, A::None},
          {E::Idle, A::None},
          {E::Unlocked, A::None},
          {E::Idle, A::StartSaver}}},
        {"the desktop's blank stops the saver; after it, only the next idle time starts it",
         {{E::Idle, A::StartSaver},
          {E::Blanked, A::StopSaver},
          {E::Unblanked, A::None},
          {E::Uninhibited, A::None},
          {E::Idle, A::StartSaver}}},
        {"no saver behind a dark screen, even when the watcher's idle time comes then",
         {{E::Blanked, A::None}, {E::Idle, A::None}, {E::Unblanked, A::None}}},
        {"a saver that ended by itself is not started again before the user was back",
         {{E::Idle, A::StartSaver},
          {E::SaverGone, A::None},
          {E::Uninhibited, A::None},
          {E::Resumed, A::None},
          {E::Idle, A::StartSaver}}},
        {"repeated signals change nothing",
         {{E::Resumed, A::None}, {E::Idle, A::StartSaver}, {E::Idle, A::None}}},
    };
    for (const StoryCase& story : stories) {
        IdleWatcher watcher;
        for (std::size_t i = 0; i < story.steps.size(); ++i) {
            EXPECT_EQ(watcher.On(story.steps[i].event), story.steps[i].action)
                << story.fact << ", step " << i + 1 << " (" << WatchEventName(story.steps[i].event)
                << ")";
        }
    }
}

TEST(IdleCrossingTest, IdleAtTheChosenTimeAndResumedBelowIt) {
    struct Poll {
        bool wasIdle;
        std::uint32_t ms;
        IdleCrossing crossing;
    };
    const Poll polls[] = {
        {false, 1999, IdleCrossing::None},       {false, 2000, IdleCrossing::Idle},
        {true, 4000000000u, IdleCrossing::None}, {true, 1999, IdleCrossing::Resumed},
        {true, 0, IdleCrossing::Resumed},        {false, 0, IdleCrossing::None},
    };
    for (const Poll& p : polls) {
        EXPECT_EQ(CrossingOf(p.wasIdle, p.ms, 2000), p.crossing) << p.wasIdle << " " << p.ms;
    }
}

} // namespace
} // namespace chronivo

#pragma once

namespace chronivo {

class Clock;
class ProfileStore;

// What a saver window needs from the application that made it: the settings to read, the clock
// to sample, and a way to be replaced by a fresh window when a frame cannot be drawn.
class SaverHost {
public:
    virtual ~SaverHost() = default;

    virtual const ProfileStore& Profile() const = 0;
    virtual const Clock& TimeSource() const = 0;
    // Builds and shows a new saver window from the settings as stored now, makes it the main
    // window and marks the current one to be deleted once its paint has ended.
    virtual void ReplaceSaverWindow() = 0;
};

} // namespace chronivo

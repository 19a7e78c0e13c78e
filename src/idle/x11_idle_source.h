#pragma once

#include "idle/idle_source.h"

#include <QTimer>

#include <cstdint>

struct xcb_connection_t;

namespace chronivo {

// Whether a poll of the X server's idle time crosses the line, and which way: Idle once the time
// since the last input reaches `idleMs`, Resumed once it is shorter again; nothing otherwise.
// `wasIdle` is what the last crossing said.
enum class IdleCrossing { None, Idle, Resumed };
IdleCrossing CrossingOf(bool wasIdle, std::uint32_t msSinceInput, int idleMs);

// The X11 screen-saver extension (MIT-SCREEN-SAVER) on the X display the session runs: the
// server counts the time since the last input, and this source asks for it about once a second.
// Players that keep the screen on reset that count, so they hold the saver off by themselves.
class X11IdleSource final : public IdleSource {
    Q_OBJECT
public:
    X11IdleSource();
    ~X11IdleSource() override;

    const char* Name() const override { return "the X11 screen-saver extension"; }
    QString Provider() const override;
    // False without an X display (DISPLAY) or without the extension.
    bool Start(int idleMs) override;

private:
    // Asks for the idle time; Lost once the connection to the server has broken.
    void Poll();

    QString m_display; // DISPLAY as it was at Start
    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
    int m_idleMs = 0;
    bool m_idle = false;
    QTimer m_timer;
};

} // namespace chronivo

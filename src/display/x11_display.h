#pragma once

#include <QSize>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace chronivo {

// A small connection of our own to an X server, used in hack mode to check the host's window
// before Qt uses it and to watch its size while the saver runs. Qt keeps its own connection.
class X11Display {
public:
    // Connects to the display named `name` (as in DISPLAY). Null, with the reason in `error`, when
    // the server does not answer or has no such screen.
    static std::unique_ptr<X11Display> Open(const std::string& name, std::string* error);
    ~X11Display();

    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    // The root window of the display's default screen.
    std::uint32_t RootWindow() const { return m_root; }

    // The size of window `id` in device pixels; nothing when no such window exists (a pixmap or
    // another resource with that id is no window either).
    std::optional<QSize> WindowSize(std::uint32_t id) const;

private:
    struct Connection;
    explicit X11Display(std::unique_ptr<Connection> connection, std::uint32_t root);

    std::unique_ptr<Connection> m_connection;
    std::uint32_t m_root = 0;
};

} // namespace chronivo

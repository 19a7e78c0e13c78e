// Waits until the pixel at (x, y) of the X screen is no longer black and prints how many
// milliseconds passed since START_NS (CLOCK_REALTIME nanoseconds, as `date +%s%N` gives them).
//
//   first_frame_probe START_NS X Y [TIMEOUT_SECONDS]
//
// The benchmark starts the saver on an X server whose root window is black (Xvfb -br); the
// saver's background is never black, so the first time the pixel changes is the moment its first
// complete frame is on the screen (one image request reaches the screen whole). Exit code 0 with
// the figure, 1 when the display cannot be reached or the timeout passes.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

std::int64_t NowNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// The pixel's value with its unused bits cleared, or -1 when it cannot be read.
std::int64_t ReadPixel(xcb_connection_t* connection, xcb_window_t root, std::int16_t x,
                       std::int16_t y) {
    const xcb_get_image_cookie_t cookie =
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x, y, 1, 1, 0x00FFFFFF);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(connection, cookie, nullptr), &std::free);
    if (!reply || xcb_get_image_data_length(reply.get()) < 4) {
        return -1;
    }
    const std::uint8_t* data = xcb_get_image_data(reply.get());
    return std::int64_t{data[0]} | std::int64_t{data[1]} << 8 | std::int64_t{data[2]} << 16;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: first_frame_probe START_NS X Y [TIMEOUT_SECONDS]\n");
        return 1;
    }
    const std::int64_t start = std::strtoll(argv[1], nullptr, 10);
    const auto x = static_cast<std::int16_t>(std::atoi(argv[2]));
    const auto y = static_cast<std::int16_t>(std::atoi(argv[3]));
    const std::int64_t timeout = (argc > 4 ? std::atoll(argv[4]) : 10) * 1'000'000'000;

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "first_frame_probe: cannot reach the X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const timespec pause{0, 500'000}; // half a millisecond between reads
    while (NowNs() - start < timeout) {
        const std::int64_t pixel = ReadPixel(connection, root, x, y);
        if (pixel > 0) {
            std::printf("%.1f\n", static_cast<double>(NowNs() - start) / 1e6);
            xcb_disconnect(connection);
            return 0;
        }
        nanosleep(&pause, nullptr);
    }
    std::fprintf(stderr, "first_frame_probe: the pixel stayed black\n");
    xcb_disconnect(connection);
    return 1;
}

// qorv_map_wait <title> <program> [arguments...]
// Starts the program and prints the milliseconds until a top-level window titled <title>
// is mapped on the X display (DISPLAY), then ends the program. The time comes from the
// server's own MapNotify event, not from polling, so it carries no polling delay. Meant for
// a display without a window manager, where top-level windows are the root's children.

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto Limit = std::chrono::seconds(60);

std::string windowTitle(xcb_connection_t* connection, xcb_window_t window) {
    const auto cookie = xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME,
                                         XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply) return {};
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(text, std::size_t(xcb_get_property_value_length(reply.get())));
}

void stopProgram(pid_t program) {
    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <title> <program> [arguments...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "%s: cannot open the X display\n", argv[0]);
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    // A round trip: the server has taken the event mask before the program starts.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    const auto start = Clock::now();
    const pid_t program = fork();
    if (program < 0) return 1;
    if (program == 0) {
        execvp(argv[2], argv + 2);
        std::perror(argv[2]);
        _exit(127);
    }
    pollfd events{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (Clock::now() - start < Limit) {
        if (waitpid(program, nullptr, WNOHANG) == program) {
            std::fprintf(stderr, "%s: %s ended before its window was mapped\n", argv[0], argv[2]);
            return 1;
        }
        poll(&events, 1, 50);
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto elapsed = Clock::now() - start;
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            std::free(event);
            if (mapped && windowTitle(connection, window) == title) {
                std::printf("%.1f\n", std::chrono::duration<double, std::milli>(elapsed).count());
                stopProgram(program);
                return 0;
            }
        }
        if (xcb_connection_has_error(connection)) break;
    }
    std::fprintf(stderr, "%s: no window \"%s\" was mapped\n", argv[0], title.c_str());
    stopProgram(program);
    return 1;
}
